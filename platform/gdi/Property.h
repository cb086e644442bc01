// Members that act like the form library's properties: reading and writing go
// through the owner's getter and setter (`Bitmap->Width = 100`), and an owned
// object takes another object's state when assigned (`Canvas->Font = Font`).
#pragma once

#include <memory>
#include <type_traits>

namespace win {

// Get and Set are member functions of Owner: T Get() [const] and void Set(T).
template <typename Owner, typename T, auto Get, auto Set>
class Property {
public:
    explicit Property(Owner *owner) : owner_(owner) {}
    Property(const Property &) = delete;
    Property &operator=(const Property &other) { return *this = T(other); }
    Property &operator=(T value)
    {
        (owner_->*Set)(value);
        return *this;
    }
    operator T() const { return (owner_->*Get)(); }
    // A property holding an object pointer reaches the object's members.
    T operator->() const
        requires std::is_pointer_v<T>
    {
        return (owner_->*Get)();
    }

private:
    Owner *owner_;
};

template <typename Owner, typename T, auto Get>
class ReadOnlyProperty {
public:
    explicit ReadOnlyProperty(Owner *owner) : owner_(owner) {}
    ReadOnlyProperty(const ReadOnlyProperty &) = delete;
    ReadOnlyProperty &operator=(const ReadOnlyProperty &) = delete;
    operator T() const { return (owner_->*Get)(); }

private:
    Owner *owner_;
};

// An object owned by its holder. Assigning another object (or a pointer to one)
// copies that object's state with T::Assign; the holder's object stays the same.
template <typename T>
class ObjectProperty {
public:
    ObjectProperty() : object_(std::make_unique<T>()) {}
    ObjectProperty(const ObjectProperty &) = delete;
    ObjectProperty &operator=(const ObjectProperty &other)
    {
        object_->Assign(*other.object_);
        return *this;
    }
    ObjectProperty &operator=(const T *other)
    {
        if (other)
            object_->Assign(*other);
        return *this;
    }
    T *operator->() const { return object_.get(); }
    operator T *() const { return object_.get(); }

private:
    std::unique_ptr<T> object_;
};

} // namespace win
