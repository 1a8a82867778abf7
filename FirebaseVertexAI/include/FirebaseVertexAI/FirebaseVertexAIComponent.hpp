#pragma once

#include <string>

#include "firebase_core/FIRLibraryClass.hpp"

namespace firebase::vertexai {

// The client's marker class. The core looks for it by the name
// "FIRVertexAIComponent" when it configures its first app and then names the
// client, "fire-vertex", in the user agent. It provides no components. The
// client declares it before main runs, so it is there whenever the client is
// part of a program.
class FirebaseVertexAIComponent final : public FIRLibraryClass {
 public:
  static constexpr const char* kClassName = "FIRVertexAIComponent";
  std::string className() const override { return kClassName; }
};

}  // namespace firebase::vertexai
