// Everything an extension needs from the runtime interface.
#pragma once

#include "kf/rt/callframe.h"
#include "kf/rt/exports.h"
#include "kf/rt/nativeobject.h"
#include "kf/rt/runtimecontext.h"
#include "kf/rt/scriptvalue.h"
#include "kf/rt/types.h"
#include "kf/rt/utf16.h"
