// The Windows edge of the automation layer: portable objects over IDispatch and back.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>

#include "kf/model/automation.h"

namespace kf::model {

// An object that drives the given dispatch interface by name (names resolved in
// LOCALE_USER_DEFAULT). Takes its own reference; null gives null. A dispatch interface
// that ToDispatch of this module made gives back the object it wraps.
ObjectRef FromDispatch(IDispatch* dispatch);

// A dispatch interface (new reference) over a portable object: dispatch ids from names,
// DISP_E_UNKNOWNNAME for names the object does not know, DISP_E_EXCEPTION with the
// description for failures; no type information. One interface per object while it lives;
// an object from FromDispatch gives back its own interface. Null gives null.
IDispatch* ToDispatch(const ObjectRef& object);
// The same, answering QueryInterface for one more interface id (a dispatch-only interface
// of the object's class) with its dispatch interface.
IDispatch* ToDispatch(const ObjectRef& object, REFIID alsoAnswers);

// Dispatch interfaces made by ToDispatch that are still alive (for DllCanUnloadNow).
long LiveDispatchServers();

// VARIANT <-> Value. ToVariant fills a cleared VARIANT the caller owns afterwards.
Value FromVariant(const VARIANT& v);
void ToVariant(const Value& value, VARIANT* out);

// The system's text for a result code, without the trailing line break; empty when none.
std::u16string SystemMessage(HRESULT hr);

} // namespace kf::model
