// Shared between the two directions of the dispatch edge.
#pragma once

#include "kf/model/dispatch.h"

namespace kf::model {

// A portable object that is a caller over a dispatch interface (FromDispatch).
class DispatchHolder {
public:
    virtual IDispatch* Dispatch() const = 0;

protected:
    ~DispatchHolder() = default;
};

// The object behind a dispatch interface that ToDispatch of this module made, else null.
ObjectRef UnwrapServer(IDispatch* dispatch);

} // namespace kf::model
