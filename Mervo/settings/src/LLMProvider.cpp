#include "settings/LLMProvider.hpp"

namespace mervo {

const std::vector<std::string>& availableModels(LLMProvider provider) {
  static const std::vector<std::string> gemini{"gemini-2.0-flash-lite", "gemini-1.5-pro"};
  static const std::vector<std::string> openai{"gpt-4o", "gpt-4o-mini", "gpt-4-turbo", "gpt-3.5-turbo"};
  static const std::vector<std::string> ollama{"llama3.2", "llama3.1", "qwen2.5", "codellama", "mistral"};
  static const std::vector<std::string> custom;
  switch (provider) {
    case LLMProvider::gemini: return gemini;
    case LLMProvider::openai: return openai;
    case LLMProvider::ollama: return ollama;
    case LLMProvider::custom: return custom;
  }
  return custom;
}

std::string_view defaultEndpoint(LLMProvider provider) {
  switch (provider) {
    case LLMProvider::openai: return "https://api.openai.com/v1";
    case LLMProvider::ollama: return "http://localhost:11434";
    case LLMProvider::gemini:
    case LLMProvider::custom: return "";
  }
  return "";
}

std::string_view displayName(LLMProvider provider) {
  switch (provider) {
    case LLMProvider::gemini: return "Built-in AI";
    case LLMProvider::openai: return "OpenAI";
    case LLMProvider::ollama: return "Ollama (Local)";
    case LLMProvider::custom: return "Custom API";
  }
  return "";
}

}  // namespace mervo
