#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

namespace Quickhalo {

// Holds a process-wide instance that is made on first use by a factory that start-up installs.
// Models stay constructible on their own; only `shared()` goes through this.
template <typename T> class SharedInstance {
public:
    using Factory = std::function<std::unique_ptr<T>()>;

    void setFactory(Factory factory) { m_factory = std::move(factory); }
    bool hasInstance() const { return m_instance != nullptr; }

    T& get()
    {
        if (!m_instance) {
            Q_ASSERT_X(m_factory, "SharedInstance", "shared() used before start-up installed a factory");
            m_instance = m_factory();
        }
        return *m_instance;
    }

    // For tests and orderly shut-down.
    void reset() { m_instance.reset(); }

private:
    Factory m_factory;
    std::unique_ptr<T> m_instance;
};

// Gives a model its process-wide instance: `shared()`, made on first use by the factory that
// start-up installs with `setSharedFactory()`, and `releaseShared()`, which ends it before the
// services it uses go away. Derive once: `class Paster : public Shared<Paster>`.
template <typename T> class Shared {
public:
    using Factory = typename SharedInstance<T>::Factory;

    static T& shared() { return instance().get(); }
    static void setSharedFactory(Factory factory) { instance().setFactory(std::move(factory)); }
    static void releaseShared() { instance().reset(); }

protected:
    Shared() = default;

private:
    static SharedInstance<T>& instance()
    {
        static SharedInstance<T> value;
        return value;
    }
};

}
