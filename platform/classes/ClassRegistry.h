#pragma once
// The class registry: component classes by name, so that a stored form can
// make the components it names (a virtual constructor per class).

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace velvane {

// Errors of stored forms. A form naming a class this program does not know
// cannot be read, so that is a read error too.
VELVANE_DECLARE_EXCEPTION(EFilerError, EStreamError);
VELVANE_DECLARE_EXCEPTION(EClassNotFound, EReadError);

class TComponent;

// Makes a component of one class with the given owner.
using TComponentClass = TComponent* (*)(TComponent* owner);

template <typename T>
TComponent* ConstructComponent(TComponent* owner)
{
    return new T(owner);
}

// Registering the same class under its name again does nothing; another
// class under a name already taken raises EFilerError
// "A class named <name> already exists". Names are compared without regard
// to ASCII case.
void RegisterClass(const String& className, TComponentClass create);
template <typename T>
void RegisterClass(const String& className)
{
    RegisterClass(className, &ConstructComponent<T>);
}
void UnRegisterClass(const String& className);

// Null when no class has the name.
TComponentClass GetClass(const String& className);
// Raises EClassNotFound "Class <name> not found" when no class has the name.
TComponentClass FindClass(const String& className);

} // namespace velvane
