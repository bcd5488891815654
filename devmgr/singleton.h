// One object of a class per process, created and destroyed on request.
#ifndef QM_DEVMGR_SINGLETON_H_
#define QM_DEVMGR_SINGLETON_H_

#include <memory>

// Holds at most one T. T derives from Singleton<T>, has a constructor taking a
// reference to a bool failure flag (set to true when the object is unusable)
// and a public destructor. The held object is owned here: it lives until
// DeleteInstance, the next Instance, or the end of the process, whichever
// comes first. Pointers handed out stay valid only until then.
template <class T>
class Singleton {
 public:
  // Destroys the object held so far, if any, then creates a new T passing
  // `failed`. When the constructor reports failure the new object is
  // destroyed at once and none is held. Returns the object held: the new one,
  // or nullptr after a failure.
  static T* Instance(bool& failed) {
    DeleteInstance();
    failed = false;
    std::unique_ptr<T> created = std::make_unique<T>(failed);
    if (!failed) _instance = std::move(created);
    return _instance.get();
  }

  // The object held, or nullptr. The caller does not own it.
  static T* GetInstance() { return _instance.get(); }

  // Destroys the object held, if any; afterwards none is held.
  static void DeleteInstance() { _instance.reset(); }

 protected:
  Singleton() = default;
  ~Singleton() = default;
  Singleton(const Singleton&) = delete;
  Singleton& operator=(const Singleton&) = delete;

 private:
  // The one object held; released automatically at process end if the
  // program never called DeleteInstance.
  inline static std::unique_ptr<T> _instance;
};

#endif  // QM_DEVMGR_SINGLETON_H_
