// The words generated names must avoid: reserved words, built-in types and system classes
// of the script language, and the built-in functions that members must not shadow.

#include <algorithm>
#include <array>
#include <string_view>

#include "kf/ejb/typemap.h"

namespace kf::ejb {
namespace {

using namespace std::string_view_literals;

constexpr std::array kReservedWords = {
    "alias"sv, "and"sv, "autoinstantiate"sv, "call"sv, "case"sv, "catch"sv, "choose"sv,
    "close"sv, "commit"sv, "connect"sv, "constant"sv, "continue"sv, "create"sv, "cursor"sv,
    "declare"sv, "delete"sv, "describe"sv, "descriptor"sv, "destroy"sv, "disconnect"sv, "do"sv,
    "dynamic"sv, "else"sv, "elseif"sv, "end"sv, "enumerated"sv, "event"sv, "execute"sv,
    "exit"sv, "external"sv, "false"sv, "fetch"sv, "finally"sv, "first"sv, "for"sv, "forward"sv,
    "from"sv, "function"sv, "global"sv, "goto"sv, "halt"sv, "if"sv, "immediate"sv,
    "indirect"sv, "insert"sv, "into"sv, "intrinsic"sv, "is"sv, "last"sv, "library"sv,
    "loop"sv, "next"sv, "not"sv, "of"sv, "on"sv, "open"sv, "or"sv, "parent"sv, "post"sv,
    "prepare"sv, "prior"sv, "private"sv, "privateread"sv, "privatewrite"sv, "procedure"sv,
    "protected"sv, "protectedread"sv, "protectedwrite"sv, "prototypes"sv, "public"sv,
    "readonly"sv, "ref"sv, "return"sv, "rollback"sv, "rpcfunc"sv, "select"sv, "selectblob"sv,
    "shared"sv, "static"sv, "step"sv, "subroutine"sv, "super"sv, "system"sv, "systemread"sv,
    "systemwrite"sv, "then"sv, "this"sv, "throw"sv, "throws"sv, "to"sv, "trigger"sv, "true"sv,
    "try"sv, "type"sv, "until"sv, "update"sv, "updateblob"sv, "using"sv, "variables"sv,
    "while"sv, "with"sv, "within"sv, "_debug"sv,
};
static_assert(kReservedWords.size() == 103);

constexpr std::array kBuiltInTypes = {
    "any"sv, "boolean"sv, "blob"sv, "char"sv, "character"sv, "real"sv, "date"sv,
    "datetime"sv, "dec"sv, "decimal"sv, "double"sv, "int"sv, "integer"sv, "long"sv,
    "string"sv, "time"sv, "unsignedinteger"sv, "unsignedint"sv, "uint"sv, "unsignedlong"sv,
    "ulong"sv,
};
static_assert(kBuiltInTypes.size() == 21);

constexpr std::array kSystemClasses = {
    "accessibility"sv, "accessiblestate"sv, "adoresultset"sv, "application"sv,
    "arraybounds"sv, "checkbox"sv, "classdefinition"sv, "classdefinitionobject"sv,
    "commandbutton"sv, "connection"sv, "connectioninfo"sv, "connectobject"sv,
    "contextinformation"sv, "contextkeyword"sv, "corbabadcontext"sv, "corbabadinvorder"sv,
    "corbabadoperation"sv, "corbabadparam"sv, "corbabadtypecode"sv, "corbacommfailure"sv,
    "corbacurrent"sv, "corbadataconversion"sv, "corbafreemem"sv, "corbaimplimit"sv,
    "corbainitialize"sv, "corbainternal"sv, "corbaintfrepos"sv, "corbainvalidtransaction"sv,
    "corbainvflag"sv, "corbainvident"sv, "corbainvobjref"sv, "corbamarshal"sv,
    "corbanoimplement"sv, "corbanomemory"sv, "corbanopermission"sv, "corbanoresources"sv,
    "corbanoresponse"sv, "corbaobjadapter"sv, "corbaobject"sv, "corbaobjectnotexist"sv,
    "corbapersiststore"sv, "corbasystemexception"sv, "corbatransactionrequired"sv,
    "corbatransactionrolledback"sv, "corbatransient"sv, "corbaunion"sv, "corbaunknown"sv,
    "corbauserexception"sv, "cplusplus"sv, "datastore"sv, "dividebyzeroerror"sv,
    "dragobject"sv, "drawobject"sv, "dropdownlistbox"sv, "dropdownpicturelistbox"sv,
    "dynamicdescriptionarea"sv, "dynamicstagingarea"sv, "editmask"sv,
    "enumerationdefinition"sv, "enumerationitemdefinition"sv, "environment"sv, "error"sv,
    "errorlogging"sv, "exception"sv, "extobject"sv, "function_object"sv, "graph"sv,
    "graphicobject"sv, "graxis"sv, "grdispattr"sv, "gridsheet"sv, "gridsheetchild"sv,
    "groupbox"sv, "gsobject"sv, "gsruntimeerror"sv, "harrierorb"sv, "hprogressbar"sv,
    "hscrollbar"sv, "htrackbar"sv, "inet"sv, "internetresult"sv, "kestrelobject"sv,
    "kftocppobject"sv, "kfxruntimeerror"sv, "line"sv, "listbox"sv, "listview"sv,
    "listviewitem"sv, "mailfiledescription"sv, "mailmessage"sv, "mailrecipient"sv,
    "mailsession"sv, "mdiclient"sv, "menu"sv, "menucascade"sv, "message"sv,
    "multilineedit"sv, "nonvisualobject"sv, "nullobjecterror"sv, "olecontrol"sv,
    "olecustomcontrol"sv, "oleobject"sv, "oleruntimeerror"sv, "olestorage"sv, "olestream"sv,
    "oletxnobject"sv, "omcontrol"sv, "omcustomcontrol"sv, "omembeddedcontrol"sv,
    "omobject"sv, "omstorage"sv, "omstream"sv, "orb"sv, "oval"sv, "picture"sv,
    "picturebutton"sv, "picturehyperlink"sv, "picturelistbox"sv, "pipeline"sv,
    "profilecall"sv, "profileclass"sv, "profileline"sv, "profileroutine"sv, "profiling"sv,
    "radiobutton"sv, "rectangle"sv, "remoteobject"sv, "resultset"sv, "resultsets"sv,
    "richtextedit"sv, "roundrectangle"sv, "runtimeerror"sv, "scriptdefinition"sv,
    "service"sv, "simpletypedefinition"sv, "singlelineedit"sv, "sslcallback"sv,
    "sslserviceprovider"sv, "statichyperlink"sv, "statictext"sv, "structure"sv,
    "systemfunctions"sv, "tab"sv, "throwable"sv, "timing"sv, "traceactivitynode"sv,
    "tracebeginend"sv, "traceerror"sv, "traceesql"sv, "tracefile"sv,
    "tracegarbagecollect"sv, "traceline"sv, "traceobject"sv, "traceroutine"sv,
    "tracetree"sv, "tracetreeerror"sv, "tracetreeesql"sv, "tracetreegarbagecollect"sv,
    "tracetreeline"sv, "tracetreenode"sv, "tracetreeobject"sv, "tracetreeroutine"sv,
    "tracetreeuser"sv, "traceuser"sv, "transaction"sv, "transactionserver"sv, "treeview"sv,
    "treeviewitem"sv, "typedefinition"sv, "userobject"sv, "variablecardinalitydefinition"sv,
    "variabledefinition"sv, "vprogressbar"sv, "vscrollbar"sv, "vtrackbar"sv, "window"sv,
    "windowobject"sv,
};
static_assert(kSystemClasses.size() == 177);

// Reserved words that members may still use, because calls qualify them with an object.
constexpr std::array kMemberAllowedWords = {"close"sv,    "create"sv, "describe"sv,
                                            "open"sv,     "post"sv,   "update"sv};
constexpr std::array kBuiltInFunctions = {"classname"sv, "getcontextservice"sv, "getparent"sv,
                                          "postevent"sv, "triggerevent"sv,      "typeof"sv};

template <typename Table> bool Contains(const Table& table, std::string_view word) {
    return std::find(table.begin(), table.end(), word) != table.end();
}

} // namespace

bool IsReservedClassName(std::string_view name) {
    return Contains(kReservedWords, name) || Contains(kBuiltInTypes, name) ||
           Contains(kSystemClasses, name);
}

bool IsReservedMemberName(std::string_view name) {
    return (Contains(kReservedWords, name) && !Contains(kMemberAllowedWords, name)) ||
           Contains(kBuiltInFunctions, name);
}

} // namespace kf::ejb
