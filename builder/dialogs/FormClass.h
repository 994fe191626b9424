#pragma once
// Class information for the dialog forms. The forms are Qt widgets, not
// objects of the class tree, but the syntax provider hands out a property
// dialog as a class reference (TClass); each form class therefore carries
// class information of its own, with its parent form class as parent.
#include "classlib/ClassInfo.h"

// In a form class body: the class information of the form.
#define NV_DECLARE_FORM_CLASS(Name)                                            \
public:                                                                        \
    static ::nvqb::TClass StaticClassType();                                   \
                                                                               \
private:

// In the form's source file; Parent is the parent form class, or nullptr.
#define NV_IMPLEMENT_FORM_CLASS(Name, ParentClassInfo)                         \
    ::nvqb::TClass Name::StaticClassType()                                     \
    {                                                                          \
        static const ::nvqb::TClassInfo info{#Name, ParentClassInfo};          \
        return &info;                                                          \
    }
