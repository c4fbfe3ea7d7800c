#pragma once

#include <memory>

// The one program-wide object behind an interface `T`: a `Default` until a run
// mode or a test installs another. Install returns the previous object so that
// the caller can put it back.
template <typename T, typename Default>
class CProgramWide {
public:
    static T &Get() { return *Slot(); }

    static std::unique_ptr<T> Install(std::unique_ptr<T> object)
    {
        Slot().swap(object);
        return object;
    }

private:
    static std::unique_ptr<T> &Slot()
    {
        static std::unique_ptr<T> object = std::make_unique<Default>();
        return object;
    }
};
