// An owning pointer that copies what it points to when it is copied: for the parts a class owns
// alone (a coil's geometry, its liquid state), so that the class can be copied member by member.
#pragma once

#include <memory>
#include <utility>

namespace zmk {

template <class T> class TCopiedPtr : public std::unique_ptr<T>
{
public:
    TCopiedPtr() = default;
    TCopiedPtr(std::unique_ptr<T> p) : std::unique_ptr<T>(std::move(p)) {}
    TCopiedPtr(const TCopiedPtr& other) : std::unique_ptr<T>(other ? std::make_unique<T>(*other) : nullptr) {}
    TCopiedPtr(TCopiedPtr&&) = default;
    TCopiedPtr& operator=(TCopiedPtr&&) = default;
    TCopiedPtr& operator=(std::unique_ptr<T>&& p)
    {
        std::unique_ptr<T>::operator=(std::move(p));
        return *this;
    }
    TCopiedPtr& operator=(const TCopiedPtr&) = delete;
};

} // namespace zmk
