// The interface declarations widl generates for our type library and the host's. The
// generated C++ header draws a compiler warning, so it comes in as a system header
// (its folder is a SYSTEM include directory).
#pragma once

#include <windows.h>

#include <docobj.h>
#include <ocidl.h>
#include <ole2.h>

#include "modelbridge.h"
