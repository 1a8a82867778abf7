#pragma once

#include <map>
#include <string>

#include "settings/LLMProvider.hpp"

namespace mervo {

// One provider request as the connection test sends it.
struct ProviderRequest {
  LLMProvider provider = LLMProvider::openai;
  std::string url;
  std::map<std::string, std::string> headers;
  std::string body;  // JSON text
  double timeout = 30.0;  // seconds
};

}  // namespace mervo
