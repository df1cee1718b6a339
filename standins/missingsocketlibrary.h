#pragma once

#include "tagsocket.h"

// A system without a socket library, for as long as it lives.
class MissingSocketLibrary : public SocketLibraryService {
 public:
  bool Present() override { return false; }

 private:
  ServiceSlot<SocketLibraryService>::InUse inUse_{SocketLibrarySlot(), *this};
};
