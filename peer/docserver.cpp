#include "docserver.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "payload.h"

namespace fs = std::filesystem;

namespace zxpeer {

namespace {

// A redirected request repeats the header block (with its Content-length) but sends no body, so
// the follow-up of one of our own redirects waits only briefly for body bytes.
constexpr int kBodyWaitMs = 30000;
constexpr int kRedirectedBodyWaitMs = 300;

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeWholeFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string numbered(unsigned number) {
  char text[16];
  std::snprintf(text, sizeof text, "%06u", number);
  return text;
}

// The last element of a name as the control sends it (either separator), safe as a file name.
std::string safeFileName(std::string_view name) {
  size_t cut = name.find_last_of("/\\");
  if (cut != std::string_view::npos) name.remove_prefix(cut + 1);
  std::string out = toUtf8Name(name);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20) c = '_';
  while (!out.empty() && out.front() == '.') out.erase(0, 1);
  return out;
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string body;
  size_t total = 0;
  for (const auto& line : lines) total += line.size() + 2;
  body.reserve(total);
  for (const auto& line : lines) {
    body += line;
    body += "\r\n";
  }
  return body;
}

std::string joinNumbers(const std::vector<size_t>& numbers) {
  std::string text;
  for (size_t n : numbers) text += (text.empty() ? "" : ",") + std::to_string(n);
  return text;
}

std::string statusLine(const char* version, int status) {
  return std::string(version) + " " + std::to_string(status) + " " + reasonPhrase(status);
}

// The query without our redirect switches, so the follow-up request does not redirect again.
std::string followUpQuery(std::string_view query, unsigned hop) {
  std::string kept;
  while (!query.empty()) {
    size_t amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    std::string_view name = pair.substr(0, pair.find('='));
    if (!pair.empty() && name != "redirect" && name != "to" && name != "hop") {
      kept += pair;
      kept += '&';
    }
    if (amp == std::string_view::npos) break;
    query.remove_prefix(amp + 1);
  }
  return kept + "hop=" + std::to_string(hop);
}

constexpr std::string_view kSitePrefix = "/site/";

std::string contentTypeOf(const fs::path& file) {
  const std::string extension = file.extension().string();
  if (extension == ".html" || extension == ".htm") return "text/html; charset=utf-8";
  if (extension == ".js" || extension == ".mjs") return "text/javascript; charset=utf-8";
  if (extension == ".css") return "text/css; charset=utf-8";
  if (extension == ".json") return "application/json";
  if (extension == ".txt") return "text/plain; charset=utf-8";
  if (extension == ".png") return "image/png";
  return "application/octet-stream";
}

}  // namespace

const char* reasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

std::string Switches::text(std::string_view name, std::string_view fallback) const {
  if (hasField(query_, name)) return fieldOr(query_, name);
  return fieldOr(defaults_, name, fallback);
}

long Switches::number(std::string_view name, long fallback) const {
  std::string value = text(name);
  return value.empty() ? fallback : std::strtol(value.c_str(), nullptr, 10);
}

Recorder::Recorder(std::string directory) : directory_(std::move(directory)) {
  fs::create_directories(directory_);
  for (const auto& entry : fs::directory_iterator(directory_)) {
    unsigned number = static_cast<unsigned>(std::strtoul(entry.path().stem().c_str(), nullptr, 10));
    if (number > last_) last_ = number;
  }
}

std::string Recorder::path(unsigned number, const char* extension) const {
  return directory_ + "/" + numbered(number) + extension;
}

// Written under a temporary name first: a reader never sees half a record.
unsigned Recorder::store(const std::string& rawBytes) {
  unsigned number = ++last_;
  writeWholeFile(path(number, ".part"), rawBytes);
  fs::rename(path(number, ".part"), path(number, ".http"));
  return number;
}

void Recorder::note(unsigned number, const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  writeWholeFile(path(number, ".tmp"), text);
  fs::rename(path(number, ".tmp"), path(number, ".txt"));
}

DocServer::DocServer(ServerConfig config, const ServerKeys& keys)
    : config_(std::move(config)),
      keys_(keys),
      recorder_(config_.stateDir + "/requests"),
      uploadDir_(config_.stateDir + "/uploads") {
  fs::create_directories(uploadDir_);
}

void DocServer::serve(Stream& stream) {
  RawRequest request;
  auto bodyWait = [](const RawRequest& r) {
    return hasField(parseForm(r.query()), "hop") ? kRedirectedBodyWaitMs : kBodyWaitMs;
  };
  if (!readRequest(stream, request, bodyWait)) return;
  unsigned number = recorder_.store(request.bytes);
  Switches switches(parseForm(request.query()), config_.defaults);
  std::vector<std::string> notes{"method=" + request.method, "target=" + request.target,
                                 std::string("secure=") + (stream.secure() ? "1" : "0"),
                                 std::string("body-complete=") + (request.bodyComplete ? "1" : "0"),
                                 "body-reads=" + joinNumbers(request.bodyReads)};
  if (request.method.empty()) {
    notes.push_back("status=400");
    recorder_.note(number, notes);
    send(stream, Response{400, {}, "not an HTTP request\r\n"});
    return;
  }
  if (switches.on("hang")) {
    notes.push_back("status=none");
    recorder_.note(number, notes);
    stream.waitForClose();
    return;
  }
  Response response;
  try {
    response = answer(request, switches, number);
  } catch (const std::exception& error) {
    response = Response{};
    response.status = 500;
    response.body = std::string(error.what()) + "\r\n";
  }
  notes.push_back("status=" + std::to_string(response.status));
  notes.insert(notes.end(), response.notes.begin(), response.notes.end());
  recorder_.note(number, notes);
  if (!config_.quiet)
    std::cerr << "docserver: #" << number << " " << request.method << " " << request.target << " -> "
              << response.status << (response.dropHalfway ? " (dropped halfway)" : "") << std::endl;
  if (response.lateMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(response.lateMs));
  send(stream, response);
}

Response DocServer::answer(const RawRequest& request, const Switches& switches, unsigned number) {
  if (request.method == "GET" && request.path().starts_with(kSitePrefix)) return siteFile(request);
  Response response;
  if (switches.on("auth") && !authorized(request)) {
    response.status = 401;
    response.headers.push_back("WWW-Authenticate: Basic realm=\"zorvax-docserver\"");
    return response;
  }
  if (switches.number("redirect") != 0) return redirect(request, switches);
  if (long code = switches.number("status"); code != 0) {
    response.status = static_cast<int>(code);
    return response;
  }
  FormFields form = parseForm(request.body);
  if (form.empty() && switches.number("hop") > 0) {
    std::lock_guard lock(hopsMutex_);
    auto remembered = hopForms_.find(static_cast<unsigned>(switches.number("hop")));
    if (remembered != hopForms_.end()) form = parseForm(remembered->second);
  }
  std::string command = fieldOr(form, "command");
  if (command == "download") {
    response = download(request, form, switches);
  } else if (command == "upload") {
    response = upload(form, number);
  } else {
    response.status = 400;
    response.body = "unknown command\r\n";
  }
  response.dropHalfway = switches.on("drop");
  response.stallHalfway = switches.on("stall");
  response.cutHalfway = switches.on("cut");
  response.chunked = switches.on("chunked");
  response.lateMs = static_cast<int>(switches.number("late"));
  return response;
}

bool DocServer::authorized(const RawRequest& request) const {
  std::string expected = "Basic " + base64Encode(config_.authUser + ":" + config_.authPassword);
  return request.header("Authorization") == expected;
}

Response DocServer::redirect(const RawRequest& request, const Switches& switches) {
  Response response;
  response.status = static_cast<int>(switches.number("redirect"));
  std::string to = switches.text("to", "http");
  unsigned hop;
  {
    std::lock_guard lock(hopsMutex_);
    hop = ++lastHop_;
    hopForms_[hop] = request.body;
  }
  std::string follow = request.path() + "?" + followUpQuery(request.query(), hop);
  if (to == "http") {
    to = "http://" + config_.bindAddress + ":" + std::to_string(config_.httpPort) + follow;
  } else if (to == "https") {
    to = "https://" + config_.bindAddress + ":" + std::to_string(config_.uploadPort) + follow;
  }
  if (to != "none") response.headers.push_back("Location: " + to);
  response.notes.push_back("location=" + to);
  return response;
}

Response DocServer::download(const RawRequest& request, const FormFields& form, const Switches& switches) {
  Response response;
  std::string name = switches.text("doc");
  if (name.empty()) {
    std::string path = request.path();
    name = urlDecode(path.substr(path.rfind('/') + 1));
  }
  name = toUtf8Name(name);
  std::string file = config_.dataDir + "/" + name;
  response.notes.push_back("doc=" + name);
  if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos || !fs::is_regular_file(file)) {
    response.status = 404;
    response.body = "no such document\r\n";
    return response;
  }
  std::string mode = switches.text("mode", switches.text("cipher") == "0" ? "lines" : "sealed");
  if (switches.on("empty")) return response;
  if (mode == "raw") {
    response.bodyFile = file;
    return response;
  }
  std::vector<std::string> lines;
  if (mode == "lines") {
    lines = textLines(readWholeFile(file));
  } else {
    std::optional<std::string> key = keys_.unwrap(fieldOr(form, "cipherKey"));
    if (!key || key->size() != 16) {
      response.notes.push_back("session-key=none");
      response.body = statusLine("HTTP/1.0", 403) + ": cipherKey cannot be unwrapped\r\n";
      return response;
    }
    response.notes.push_back("session-key=" + toHex(*key));
    std::string payload = readWholeFile(file);
    if (switches.text("gzip", "1") != "0") {
      payload = gzipBytes(payload);
      if (switches.on("badgzip")) damageGzipTrailer(payload);
    }
    lines = base64Lines(std::string(kSealHeader) + seedEncipherEcb(payload, *key),
                        static_cast<size_t>(switches.number("line", 76)));
  }
  if (switches.on("blank") && !lines.empty()) lines.insert(lines.begin() + 1, "");
  if (long length = switches.number("longline"); length > 0) {
    std::string longLine;
    for (long i = 0; i < length; ++i) longLine += static_cast<char>('A' + i % 26);
    lines.push_back(longLine);
  }
  if (long code = switches.number("embed"); code != 0)
    lines.insert(lines.begin(), statusLine("HTTP/1.1", static_cast<int>(code)));
  if (switches.text("end", "1") != "0") lines.push_back(".");
  response.headers.push_back("Content-Type: text/plain");
  response.body = joinLines(lines);
  return response;
}

Response DocServer::upload(const FormFields& form, unsigned number) {
  Response response;
  std::string data = base64Decode(fieldOr(form, "cipherData"));
  std::string ciphered = fieldOr(form, "ciphered", "0");
  if (ciphered != "0") {
    std::optional<std::string> key = keys_.unwrap(fieldOr(form, "cipherKey"));
    if (!key || key->size() != 16) {
      response.status = 403;
      response.body = "cipherKey cannot be unwrapped\r\n";
      return response;
    }
    size_t headerEnd = data.find('\n');
    data = seedDecipherEcb(headerEnd == std::string::npos ? data : data.substr(headerEnd + 1), *key);
  }
  if (fieldOr(form, "compressed", "0") != "0") {
    try {
      data = gunzipBytes(data);
    } catch (const std::exception& error) {
      response.status = 400;
      response.body = std::string("gzip: ") + error.what() + "\r\n";
      return response;
    }
  }
  std::string name = safeFileName(fieldOr(form, "filename"));
  if (name.empty()) name = "upload.bin";
  std::string stored = uploadDir_ + "/" + numbered(number) + "-" + name;
  writeWholeFile(stored, data);
  std::string formText;
  for (const auto& [key, value] : form)
    if (key != "cipherData") formText += key + "=" + value + "\n";
  writeWholeFile(uploadDir_ + "/" + numbered(number) + ".form", formText);
  response.notes.push_back("stored=" + stored);
  response.body = "OK\r\n";
  return response;
}

// A file of the site folder; names that climb out of it (or hide behind a dot) are not found.
Response DocServer::siteFile(const RawRequest& request) const {
  Response response;
  std::string relative = urlDecode(request.path().substr(kSitePrefix.size()));
  if (relative.empty() || relative.back() == '/') relative += "index.html";
  const fs::path file = fs::path(config_.siteDir) / relative;
  bool inside = !config_.siteDir.empty() && !fs::path(relative).has_root_path();
  for (const auto& part : fs::path(relative))
    if (part.string().empty() || part.string().front() == '.') inside = false;
  if (!inside || !fs::is_regular_file(file)) {
    response.status = 404;
    response.body = "no such page\r\n";
    return response;
  }
  response.headers.push_back("Content-Type: " + contentTypeOf(file));
  response.headers.push_back("Cache-Control: no-store");
  response.bodyFile = file.string();
  response.notes.push_back("site=" + relative);
  return response;
}

void DocServer::send(Stream& stream, const Response& response) const {
  uint64_t length = response.bodyFile.empty() ? response.body.size() : fs::file_size(response.bodyFile);
  std::string head = statusLine("HTTP/1.1", response.status) + "\r\n";
  for (const auto& line : response.headers) head += line + "\r\n";
  head += response.chunked ? std::string("Transfer-Encoding: chunked\r\n")
                           : "Content-Length: " + std::to_string(length) + "\r\n";
  head += "Connection: close\r\n\r\n";
  const bool halfway = response.dropHalfway || response.stallHalfway || response.cutHalfway;
  uint64_t limit = halfway ? length / 2 : length;
  if (!stream.writeAll(head)) return;
  auto put = [&](std::string_view piece) {
    if (!response.chunked) return stream.writeAll(piece);
    char size[24];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    return stream.writeAll(size) && stream.writeAll(piece) && stream.writeAll("\r\n");
  };
  if (response.bodyFile.empty()) {
    std::string_view body = std::string_view(response.body).substr(0, limit);
    if (!body.empty()) put(body);
  } else {
    std::ifstream in(response.bodyFile, std::ios::binary);
    std::string chunk(1 << 20, '\0');
    while (limit > 0 && in) {
      in.read(chunk.data(), static_cast<std::streamsize>(std::min<uint64_t>(chunk.size(), limit)));
      size_t got = static_cast<size_t>(in.gcount());
      if (got == 0 || !put(std::string_view(chunk.data(), got))) break;
      limit -= got;
    }
  }
  // The last chunk tells a complete chunked body; a cut one ends without it.
  if (response.chunked && !halfway) stream.writeAll("0\r\n\r\n");
  if (response.dropHalfway) stream.drop();
  if (response.stallHalfway) stream.waitForClose();
}

}  // namespace zxpeer
