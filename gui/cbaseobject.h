// Reference-counted base of the toolkit's objects. A new object holds one
// reference (its creator's); remember adds one, forget drops one and deletes
// the object when none is left.
//
// Every toolkit object is counted while it lives, so a leak test compares
// one number before and after instead of asking the system.
#pragma once

#include <atomic>

namespace sorvane {

enum CMessageResult { kMessageUnknown = 0, kMessageNotified = 1 };

// Messages the toolkit sends through notify.
inline constexpr const char* kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";
inline constexpr const char* kMsgNewFocusView = "kMsgNewFocusView";
inline constexpr const char* kMsgOldFocusView = "kMsgOldFocusView";

// Toolkit objects alive in this process (all threads; only the
// user-interface thread makes them).
int liveToolkitObjects();

class CBaseObject {
 public:
  CBaseObject() { liveCount().fetch_add(1, std::memory_order_relaxed); }
  virtual ~CBaseObject() { liveCount().fetch_sub(1, std::memory_order_relaxed); }
  CBaseObject(const CBaseObject&) = delete;
  CBaseObject& operator=(const CBaseObject&) = delete;

  virtual void forget() {
    if (--references_ == 0) delete this;
  }
  virtual void remember() { ++references_; }
  int getNbReference() const { return references_; }
  // A message string sent to the object; toolkit classes answer the ones they know.
  virtual CMessageResult notify(CBaseObject* /*sender*/, const char* /*message*/) { return kMessageUnknown; }

 private:
  friend int liveToolkitObjects();
  static std::atomic<int>& liveCount() {
    static std::atomic<int> count{0};
    return count;
  }
  int references_ = 1;
};

inline int liveToolkitObjects() { return CBaseObject::liveCount().load(std::memory_order_relaxed); }

}  // namespace sorvane
