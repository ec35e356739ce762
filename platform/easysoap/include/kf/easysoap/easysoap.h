// Everything a client of the SOAP library uses.
#pragma once

#include "kf/easysoap/soapbase64.h"
#include "kf/easysoap/soapdebugger.h"
#include "kf/easysoap/soapexception.h"
#include "kf/easysoap/soapmethod.h"
#include "kf/easysoap/soapparameter.h"
#include "kf/easysoap/soapproxy.h"
#include "kf/easysoap/soapresponse.h"
#include "kf/easysoap/xmlcomposer.h"
