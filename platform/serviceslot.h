#pragma once

#include <memory>
#include <utility>

// One replaceable service of the program: the dialogs, the shell, the machine's figures, ... The
// service in use is the latest stand-in still alive, else the slot's own, made on first use.
//
// A stand-in holds a ServiceSlot<S>::InUse for its lifetime, so a test that ends early (a failed
// assertion, an exception) still puts back what it replaced, and stand-ins may end in any order:
// each takes only itself out. Like the services behind it, a slot belongs to the main thread.
template <class Service>
class ServiceSlot {
 public:
  using Maker = std::unique_ptr<Service> (*)();

  // The slot's own service is made by `makeOwn` ...
  explicit ServiceSlot(Maker makeOwn) : makeOwn_(makeOwn) {}
  // ... or is a default-constructed `Own`.
  template <class Own>
  explicit ServiceSlot(std::in_place_type_t<Own>)
      : makeOwn_([]() -> std::unique_ptr<Service> { return std::make_unique<Own>(); }) {}
  ServiceSlot(const ServiceSlot&) = delete;
  ServiceSlot& operator=(const ServiceSlot&) = delete;

  class InUse;

  Service& Get() { return top_ ? top_->service_ : Own(); }

  // The service that answers while no stand-in is alive.
  Service& Own() {
    if (!own_) own_ = makeOwn_();
    return *own_;
  }
  // Gives the slot another service of its own and hands back the one it had; after null, the
  // next use makes a fresh one.
  std::unique_ptr<Service> ReplaceOwn(std::unique_ptr<Service> service) {
    return std::exchange(own_, std::move(service));
  }

 private:
  Maker makeOwn_;
  std::unique_ptr<Service> own_;
  InUse* top_ = nullptr;  // the latest stand-in; each links to the one alive before it
};

// Puts `service` in use for as long as it lives. A stand-in that is a service itself declares it
// as its last member, so that it is in use only once it is whole, and no longer while it is
// being taken apart.
template <class Service>
class ServiceSlot<Service>::InUse {
 public:
  InUse(ServiceSlot& slot, Service& service)
      : slot_(slot), service_(service), before_(std::exchange(slot.top_, this)) {}
  ~InUse() {
    for (InUse** link = &slot_.top_; *link; link = &(*link)->before_) {
      if (*link == this) {
        *link = before_;
        return;
      }
    }
  }
  InUse(const InUse&) = delete;
  InUse& operator=(const InUse&) = delete;

 private:
  friend class ServiceSlot;
  ServiceSlot& slot_;
  Service& service_;
  InUse* before_;
};
