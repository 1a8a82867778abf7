#include "MessageRepairs.hpp"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "AsciiText.hpp"
#include "GMime.hpp"

namespace mailkit::repairs {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

struct Line {
  std::size_t start = 0;
  std::size_t end = 0;   // where the line break begins
  std::size_t next = 0;  // where the next line begins
};

Line lineAt(std::string_view text, std::size_t start) {
  std::size_t feed = text.find('\n', start);
  Line line{start, feed == std::string_view::npos ? text.size() : feed,
            feed == std::string_view::npos ? text.size() : feed + 1};
  if (line.end > start && text[line.end - 1] == '\r') --line.end;
  return line;
}

std::string_view textOf(std::string_view text, const Line& line) { return text.substr(line.start, line.end - line.start); }

bool isBlankLine(std::string_view line) { return std::ranges::all_of(line, isBlank); }
bool isContinuation(std::string_view line) { return !line.empty() && isBlank(line.front()); }
// The name of a header field line, blanks before the colon left out.
std::string_view fieldName(std::string_view line) {
  std::string_view name = line.substr(0, line.find(':'));
  while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
  return name;
}

bool isMIMEField(std::string_view line) {
  return isHeaderField(line) && (ascii::startsWithIgnoringCase(line, "Content-") ||
                                 ascii::equalsIgnoringCase(fieldName(line), "MIME-Version"));
}

// A line inside the header block that is no field, followed by fields up to
// the blank line: readers skip it and read on. A delimiter line is never
// one; there the body has begun.
bool isStrayLine(std::string_view raw, const Line& line) {
  if (textOf(raw, line).starts_with("--")) return false;
  bool fieldFollows = false;
  for (Line next = lineAt(raw, line.next); next.start < raw.size(); next = lineAt(raw, next.next)) {
    std::string_view text = textOf(raw, next);
    if (text.empty()) return fieldFollows;
    if (!isHeaderField(text) && !(fieldFollows && isContinuation(text))) return false;
    fieldFollows = true;
  }
  return false;
}

// The lines of a body that begin with "--", trailing blanks left out: its
// delimiter lines, if it has any. Collected once, so that looking for a
// boundary among them takes no longer than reading the body.
std::unordered_set<std::string_view> dashLines(std::string_view body) {
  std::unordered_set<std::string_view> lines;
  for (Line line = lineAt(body, 0); line.start < body.size(); line = lineAt(body, line.next)) {
    std::string_view text = textOf(body, line);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    if (text.starts_with("--")) lines.insert(text);
  }
  return lines;
}

// Whether a Content-Type value names a multipart whose delimiter is one of
// the body's lines.
bool fitsBody(std::string_view value, const std::unordered_set<std::string_view>& bodyDashLines) {
  gmime::Object<GMimeContentType> type(g_mime_content_type_parse(gmime::parserOptions(), std::string(value).c_str()));
  if (!type || !g_mime_content_type_is_type(type.get(), "multipart", "*")) return false;
  const char* boundary = g_mime_content_type_get_parameter(type.get(), "boundary");
  return boundary && *boundary && bodyDashLines.contains(std::string("--") + boundary);
}

struct Field {
  std::size_t start, end;  // its lines, line breaks included
};

// Where the body begins when the header block ended early: a gateway that
// put a blank line too many after the header fields leaves MIME fields of
// the message (Content-Type and what came with it) at the start of the body,
// after blank lines and up to the next blank line. They join the header
// block; anything else keeps the body as it is.
std::size_t afterDisplacedFields(std::string_view raw, std::size_t bodyStart, std::vector<Field>& fields) {
  Line line = lineAt(raw, bodyStart);
  if (line.start >= raw.size() || !isBlankLine(textOf(raw, line))) return bodyStart;
  while (line.start < raw.size() && isBlankLine(textOf(raw, line))) line = lineAt(raw, line.next);
  std::vector<Field> displaced;
  bool hasMIMEField = false;
  for (; line.start < raw.size(); line = lineAt(raw, line.next)) {
    std::string_view text = textOf(raw, line);
    if (text.empty()) {
      if (!hasMIMEField) return bodyStart;
      fields.insert(fields.end(), displaced.begin(), displaced.end());
      return line.next;
    }
    if (isContinuation(text) && !displaced.empty()) {
      displaced.back().end = line.next;
    } else if (isHeaderField(text)) {
      hasMIMEField = hasMIMEField || isMIMEField(text);
      displaced.push_back({line.start, line.next});
    } else {
      return bodyStart;
    }
  }
  return bodyStart;
}

}  // namespace

bool isHeaderField(std::string_view line) {
  std::string_view name = fieldName(line);
  return line.find(':') != std::string_view::npos && !name.empty() &&
         std::ranges::all_of(name, [](char c) { return c > ' ' && c < 0x7F; });
}

std::optional<ReadableMessage> readableMessage(std::string_view raw) {
  Line line = lineAt(raw, 0);
  while (line.start < raw.size() && (isBlankLine(textOf(raw, line)) || textOf(raw, line).starts_with("From ")))
    line = lineAt(raw, line.next);
  bool mended = line.start > 0;
  if (line.start >= raw.size() || !isHeaderField(textOf(raw, line))) return std::nullopt;
  // A line break put in is of the kind the message uses.
  std::string_view lineBreak = raw.substr(line.end, line.next - line.end);
  if (lineBreak.empty()) lineBreak = "\r\n";

  std::vector<Field> fields;
  std::size_t bodyStart = raw.size();
  for (; line.start < raw.size(); line = lineAt(raw, line.next)) {
    std::string_view text = textOf(raw, line);
    if (text.empty()) {
      bodyStart = line.next;
      break;
    }
    if (isContinuation(text)) {
      fields.back().end = line.next;
    } else if (isHeaderField(text)) {
      fields.push_back({line.start, line.next});
    } else {
      mended = true;
      if (isStrayLine(raw, line)) continue;
      bodyStart = line.start;  // the blank line is missing
      break;
    }
  }
  auto isContentType = [&](const Field& f) {
    return ascii::equalsIgnoringCase(fieldName(textOf(raw, lineAt(raw, f.start))), "Content-Type");
  };
  if (std::ranges::none_of(fields, isContentType)) {
    const std::size_t displacedEnd = afterDisplacedFields(raw, bodyStart, fields);
    mended = mended || displacedEnd != bodyStart;
    bodyStart = displacedEnd;
  }
  std::string_view body = raw.substr(bodyStart);

  auto fieldText = [&](const Field& f) { return raw.substr(f.start, f.end - f.start); };
  std::vector<const Field*> contentTypes;
  std::vector<std::string_view> values;
  for (const auto& field : fields) {
    if (!isContentType(field)) continue;
    contentTypes.push_back(&field);
    values.push_back(fieldText(field).substr(fieldText(field).find(':') + 1));
  }
  const Field* contentType = contentTypes.empty() ? nullptr : contentTypes[readableContentType(values, body)];

  ReadableMessage message;
  for (const auto& field : fields) {
    if (isContentType(field) && &field != contentType) continue;
    std::string_view text = fieldText(field);
    message.fields.emplace_back(fieldName(text), text.substr(text.find(':') + 1));
    if (!isMIMEField(text)) continue;
    message.mimeFields += text;
    if (!message.mimeFields.ends_with('\n')) message.mimeFields += lineBreak;
  }
  message.mimeFields += lineBreak;
  message.body = body;
  message.asItStands = !mended && contentTypes.size() < 2;
  return message;
}

std::size_t readableContentType(const std::vector<std::string_view>& values, std::string_view body) {
  if (values.size() < 2) return 0;
  const auto bodyDashLines = dashLines(body);
  if (fitsBody(values.front(), bodyDashLines)) return 0;
  for (std::size_t i = 1; i < values.size(); ++i)
    if (fitsBody(values[i], bodyDashLines)) return i;
  return 0;
}

std::optional<std::string> impliedBoundary(std::string_view content) {
  const auto delimiters = dashLines(content);
  for (Line line = lineAt(content, 0); line.start < content.size(); line = lineAt(content, line.next)) {
    std::string_view text = textOf(content, line);
    if (!text.starts_with("--")) continue;
    std::string_view boundary = text.substr(2);
    while (!boundary.empty() && isBlank(boundary.back())) boundary.remove_suffix(1);
    bool quotable = std::ranges::all_of(boundary, [](char c) { return c >= ' ' && c < 0x7F && c != '"' && c != '\\'; });
    if (boundary.empty() || boundary.ends_with("--") || !quotable) continue;
    if (isMIMEField(textOf(content, lineAt(content, line.next))) ||
        delimiters.contains("--" + std::string(boundary) + "--"))
      return std::string(boundary);
  }
  return std::nullopt;
}

namespace {

// A header block inside a text: header fields, each with its continuation
// lines, up to a blank line or the end of the text.
struct HeaderBlockLines {
  std::vector<std::pair<std::string, std::string>> fields;  // names and raw values
  std::size_t next = 0;                                     // where the line after the last field begins
  bool isHTML = false;                                      // its Content-Type is text/html
  bool isMessagePart = false;                               // its Content-Type is message/*
};

// The header block that begins at the line: one with a MIME field, or any
// after the header block of a message part, where the message's own follows.
// Nothing when a line of text comes before the blank line.
std::optional<HeaderBlockLines> headerBlockAt(std::string_view text, Line line, bool messageFollows) {
  HeaderBlockLines block;
  std::vector<Field> fields;
  bool hasMIMEField = false;
  for (; line.start < text.size(); line = lineAt(text, line.next)) {
    std::string_view content = textOf(text, line);
    if (isBlankLine(content)) break;
    if (isContinuation(content) && !fields.empty()) {
      fields.back().end = line.next;
    } else if (isHeaderField(content)) {
      fields.push_back({line.start, line.next});
      hasMIMEField = hasMIMEField || isMIMEField(content);
    } else {
      return std::nullopt;
    }
    block.next = line.next;
  }
  if (!hasMIMEField && !messageFollows) return std::nullopt;
  for (const auto& field : fields) {
    std::string_view raw = text.substr(field.start, field.end - field.start);
    std::string_view value = raw.substr(raw.find(':') + 1);
    if (ascii::equalsIgnoringCase(fieldName(raw), "Content-Type")) {
      std::string_view type = value.substr(std::min(value.find_first_not_of(" \t"), value.size()));
      block.isHTML = ascii::startsWithIgnoringCase(type, "text/html");
      block.isMessagePart = ascii::startsWithIgnoringCase(type, "message/");
    }
    block.fields.emplace_back(fieldName(raw), value);
  }
  return block;
}

}  // namespace

std::vector<ReadableStretch> readableLines(std::string_view text) {
  auto isBase64Line = [](std::string_view line) {
    return line.size() >= 40 && std::ranges::all_of(line, [](char c) {
             return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=';
           });
  };
  auto isDelimiter = [](std::string_view line) {
    return line.size() > 2 && line.starts_with("--") && !isBlank(line[2]);
  };
  std::vector<ReadableStretch> stretches(1);
  bool inFields = false;        // the last line was a MIME field or its continuation
  bool blockMayBegin = true;    // at the start, after a blank line or a delimiter
  bool messageFollows = false;  // the last header block was a message part's
  for (Line line = lineAt(text, 0); line.start < text.size(); line = lineAt(text, line.next)) {
    std::string_view content = textOf(text, line);
    if (blockMayBegin && isHeaderField(content)) {
      if (auto block = headerBlockAt(text, line, messageFollows)) {
        stretches.emplace_back().headerFields = std::move(block->fields);
        stretches.emplace_back().isHTML = block->isHTML;
        messageFollows = block->isMessagePart;
        line.next = block->next;
        inFields = blockMayBegin = false;
        continue;
      }
    }
    blockMayBegin = isBlankLine(content);
    if (!blockMayBegin) messageFollows = false;
    if (isMIMEField(content)) {
      if (!inFields) stretches.emplace_back();
      inFields = true;
      if (ascii::equalsIgnoringCase(fieldName(content), "Content-Type")) {
        std::string_view value = content.substr(content.find(':') + 1);
        value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
        stretches.back().isHTML = ascii::startsWithIgnoringCase(value, "text/html");
      }
      continue;
    }
    if (inFields && isContinuation(content)) continue;
    inFields = false;
    if (isDelimiter(content)) {
      stretches.emplace_back();
      blockMayBegin = true;
      continue;
    }
    if (isBase64Line(content)) continue;
    stretches.back().text += text.substr(line.start, line.next - line.start);
  }
  std::erase_if(stretches, [](const ReadableStretch& s) { return s.text.empty() && s.headerFields.empty(); });
  return stretches;
}

}  // namespace mailkit::repairs
