// Reference-counted base of the toolkit's objects. A new object holds one
// reference (its creator's); remember adds one, forget drops one and deletes
// the object when none is left.
#pragma once

namespace sorvane {

enum CMessageResult { kMessageUnknown = 0, kMessageNotified = 1 };

class CBaseObject {
 public:
  CBaseObject() = default;
  virtual ~CBaseObject() = default;
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
  int references_ = 1;
};

}  // namespace sorvane
