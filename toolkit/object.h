// The root of the toolkit's components and the shape of their notifications.
#pragma once

#include <functional>

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// A notification with the object that raised it; handlers may ignore the sender.
using TNotifyEvent = std::function<void(TObject* Sender)>;

inline void Fire(const TNotifyEvent& event, TObject* sender) {
  if (event) event(sender);
}
