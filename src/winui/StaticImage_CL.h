#pragma once
#include "winui/ControlBase_CL.h"

// A static control that shows a picture. It may own one GDI object (a bitmap
// given to the control), deleted with the wrapper.
class StaticImage_CL : public ControlBase_CL {
public:
    StaticImage_CL() : ControlBase_CL(kStaticImage) {}
    ~StaticImage_CL() override { set_gdi_object(nullptr); }

    // Takes ownership; the previous object is deleted.
    void set_gdi_object(HGDIOBJ object)
    {
        if (object_ && object_ != object) DeleteObject(object_);
        object_ = object;
    }
    HGDIOBJ gdi_object() const { return object_; }

private:
    HGDIOBJ object_ = nullptr;
};
