#pragma once
// Signals: a sender's list of receiver member functions. Connections are dropped on either
// side's destruction, so a signal never calls a deleted receiver.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/CleanHeapObject.h"

namespace brae {

class SignalListener;

class SignalBase {
 public:
  SignalBase() = default;
  SignalBase(const SignalBase&) = delete;
  SignalBase& operator=(const SignalBase&) = delete;
  virtual ~SignalBase() = default;
  // Removes every slot of the receiver (called by the receiver's destructor).
  virtual void DisconnectReceiver(SignalListener* receiver) = 0;

 protected:
  static void Remember(SignalListener* receiver, SignalBase* signal);
  static void Forget(SignalListener* receiver, SignalBase* signal);
};

// Base of every object that receives signals: remembers the signals it is connected to.
class SignalListener {
 public:
  SignalListener() = default;
  SignalListener(const SignalListener&) = delete;
  SignalListener& operator=(const SignalListener&) = delete;
  virtual ~SignalListener() { DisconnectAllSignals(); }

  void DisconnectAllSignals() {
    while (!signals_.empty()) {
      SignalBase* signal = signals_.back();
      signal->DisconnectReceiver(this);  // also erases it from signals_
      auto it = std::find(signals_.begin(), signals_.end(), signal);
      if (it != signals_.end()) signals_.erase(it);
    }
  }
  size_t ConnectedSignalCount() const { return signals_.size(); }

 private:
  friend class SignalBase;
  std::vector<SignalBase*> signals_;
};

inline void SignalBase::Remember(SignalListener* receiver, SignalBase* signal) {
  receiver->signals_.push_back(signal);
}
inline void SignalBase::Forget(SignalListener* receiver, SignalBase* signal) {
  auto& list = receiver->signals_;
  list.erase(std::remove(list.begin(), list.end(), signal), list.end());
}

template <class Policy>
class has_slots : public SignalListener {};

// A signal without argument (Signal<>) or with one argument (Signal<int>, Signal<Window*>).
template <class... Args>
class Signal : public SignalBase {
 public:
  static_assert(sizeof...(Args) <= 1, "signals carry at most one argument");

  ~Signal() override {
    for (const Slot& slot : AllSlots()) Forget(slot.receiver, this);
  }

  template <class R>
  void Connect(R* receiver, void (R::*method)(Args...)) {
    Remember(receiver, this);
    Slot slot{receiver, next_id_++, [receiver, method](Args... a) { (receiver->*method)(a...); }};
    if (!has_first_) {
      first_ = std::move(slot);
      has_first_ = true;
    } else {
      rest_.push_back(std::move(slot));
    }
  }

  void Disconnect(SignalListener* receiver) {
    bool found = false;
    rest_.erase(
        std::remove_if(rest_.begin(), rest_.end(),
                       [&](const Slot& s) { return s.receiver == receiver && (found = true); }),
        rest_.end());
    if (has_first_ && first_.receiver == receiver) {
      found = true;
      if (rest_.empty()) {
        has_first_ = false;
        first_ = Slot{};
      } else {
        first_ = std::move(rest_.back());
        rest_.pop_back();
      }
    }
    if (found) Forget(receiver, this);
  }
  void DisconnectReceiver(SignalListener* receiver) override { Disconnect(receiver); }

  // Calls the first slot, then the others in connection order. A slot removed by an earlier
  // one (its receiver destroyed or disconnected) is skipped.
  void Emit(Args... args) {
    std::vector<uint64_t> ids;
    for (const Slot& slot : AllSlots()) ids.push_back(slot.id);
    for (uint64_t id : ids) {
      const Slot* slot = Find(id);
      if (slot) {
        auto call = slot->call;
        call(args...);
      }
    }
  }

  size_t SlotCount() const { return (has_first_ ? 1 : 0) + rest_.size(); }

 private:
  struct Slot {
    SignalListener* receiver = nullptr;
    uint64_t id = 0;
    std::function<void(Args...)> call;
  };

  std::vector<Slot> AllSlots() const {
    std::vector<Slot> all;
    if (has_first_) all.push_back(first_);
    all.insert(all.end(), rest_.begin(), rest_.end());
    return all;
  }
  const Slot* Find(uint64_t id) const {
    if (has_first_ && first_.id == id) return &first_;
    for (const Slot& s : rest_)
      if (s.id == id) return &s;
    return nullptr;
  }

  Slot first_;
  bool has_first_ = false;
  std::vector<Slot> rest_;
  uint64_t next_id_ = 1;
};

template <class R, class... Args>
void Connect(Signal<Args...>& signal, R* receiver, void (R::*method)(Args...)) {
  signal.Connect(receiver, method);
}
template <class... Args>
void Disconnect(Signal<Args...>& signal, SignalListener* receiver) {
  signal.Disconnect(receiver);
}

}  // namespace brae
