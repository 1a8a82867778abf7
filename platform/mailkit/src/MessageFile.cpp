#include "mailkit/MessageFile.hpp"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace mailkit {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return std::tolower((unsigned char)x) == std::tolower((unsigned char)y); });
}

std::string_view trimmed(std::string_view s) {
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The header block ends at the first empty line (CRLF or LF line ends).
std::string_view headerBlock(std::string_view raw) {
  std::size_t end = raw.size();
  for (std::size_t pos = 0; pos < raw.size();) {
    std::size_t next = raw.find('\n', pos);
    std::string_view line = raw.substr(pos, next == std::string_view::npos ? std::string_view::npos : next - pos);
    if (line.empty() || line == "\r") {
      end = pos;
      break;
    }
    if (next == std::string_view::npos) break;
    pos = next + 1;
  }
  return raw.substr(0, end);
}

}  // namespace

std::expected<MessageFile, std::string> MessageFile::read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::unexpected("Cannot read the message file " + path.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return parse(std::move(bytes).str());
}

MessageFile MessageFile::parse(std::string rawData) {
  MessageFile file;
  std::istringstream lines{std::string(headerBlock(rawData))};
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    bool continuation = !line.empty() && (line.front() == ' ' || line.front() == '\t');
    if (continuation && !file.fields_.empty()) {
      file.fields_.back().second += line;
      continue;
    }
    auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    file.fields_.emplace_back(std::string(trimmed(line.substr(0, colon))), line.substr(colon + 1));
  }
  file.rawData_ = std::move(rawData);
  return file;
}

std::string MessageFile::body() const {
  auto headers = headerBlock(rawData_);
  std::size_t blankLine = headers.size();
  std::size_t lineEnd = rawData_.find('\n', blankLine);
  return lineEnd == std::string::npos ? std::string() : rawData_.substr(lineEnd + 1);
}

std::optional<std::string> MessageFile::header(std::string_view name) const {
  for (const auto& [field, value] : fields_)
    if (equalsIgnoringCase(field, name)) return std::string(trimmed(value));
  return std::nullopt;
}

MEMessage MessageFile::message() const {
  MEMessage message;
  message.subject = header("Subject").value_or("");
  message.toAddresses = parseAddressList(header("To").value_or(""));
  message.ccAddresses = parseAddressList(header("Cc").value_or(""));
  message.rawData = rawData_;
  return message;
}

MEMessage MessageFile::replyDraft() const {
  MEMessage draft;
  draft.subject = replySubject(header("Subject").value_or(""));
  draft.toAddresses = parseAddressList(header("Reply-To").or_else([&] { return header("From"); }).value_or(""));
  return draft;
}

std::vector<MEEmailAddress> parseAddressList(std::string_view field) {
  std::vector<MEEmailAddress> addresses;
  std::string current;
  bool inQuotes = false;
  int angleDepth = 0;
  int commentDepth = 0;
  auto finish = [&] {
    auto entry = trimmed(current);
    if (!entry.empty()) addresses.push_back({std::string(entry)});
    current.clear();
  };
  for (std::size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (inQuotes) {
      if (c == '\\' && i + 1 < field.size()) {
        current += c;
        c = field[++i];
      } else if (c == '"') {
        inQuotes = false;
      }
    } else if (c == '"') {
      inQuotes = true;
    } else if (c == '(') {
      ++commentDepth;
    } else if (c == ')' && commentDepth > 0) {
      --commentDepth;
    } else if (c == '<' && commentDepth == 0) {
      ++angleDepth;
    } else if (c == '>' && angleDepth > 0) {
      --angleDepth;
    } else if (c == ',' && angleDepth == 0 && commentDepth == 0) {
      finish();
      continue;
    }
    current += c;
  }
  finish();
  return addresses;
}

std::string replySubject(std::string_view subject) {
  if (subject.size() >= 3 && equalsIgnoringCase(subject.substr(0, 3), "re:")) return std::string(subject);
  return "Re: " + std::string(subject);
}

}  // namespace mailkit
