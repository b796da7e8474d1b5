// zorvax-docserver: the reference server of the document service, for the demo and the tests.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "docserver.h"

namespace {

const char* const kUsage = R"(usage: zorvax-docserver [OPTION]...
Serves the documents of a folder to the control's download form (plain HTTP) and takes its
uploads over TLS on a second port. Prints "key value" lines and then "ready" on standard output.

  --data DIR          documents folder (default ./zxdocs; created when missing)
  --state DIR         keys, certificate, requests/ and uploads/ (default DATA/.docserver)
  --bind ADDRESS      IPv4 address to listen on (default 127.0.0.1)
  --port N            download port, 0 for a free one (default 0)
  --upload-port N     upload (TLS) port, 0 for a free one (default 0)
  --plain-upload      the upload port speaks plain HTTP instead of TLS (a faulty server)
  --tls-name HOST     the TLS certificate names HOST alone, not localhost and the loopback
                      addresses (a server that is not who the client asked for)
  --auth USER:PASS    credentials the auth switch asks for (default zorvax:zorvax)
  --set NAME=VALUE    a switch for every request; the request's query parameters override it
  --site DIR          serve the files of DIR to GET requests under /site/ (pages, scripts)
  --exit-on-eof       end when standard input reaches its end (tests hold a pipe open)
  --quiet             no line per request on standard error
  --help              this text

Which document: the query parameter doc=NAME, else the last element of the request path,
names a file directly inside the documents folder (URL-decoded; UTF-8 or code page 949).

Switches (query parameters or --set):
  mode=sealed|lines|raw  sealed (default): header line, SEED-ECB under the unwrapped session
                         key, Base64 lines, "." line; lines: the document's own text lines and
                         "."; raw: the file's bytes as they are
  gzip=0                 sealed mode without gzip          cipher=0   same as mode=lines
  line=N                 Base64 line length (default 76)   badgzip=1  damaged gzip trailer
  embed=CODE             an "HTTP/1.1 CODE reason" line before the data
  blank=1                a blank line after the first line
  longline=N             an extra data line of N characters before the "." line
  end=0                  no "." line                        empty=1    status 200, no body
  status=CODE            answer CODE with an empty body     drop=1     close halfway through
  cut=1                  half the body, then an orderly close (shorter than announced)
  chunked=1              chunked transfer coding; with cut=1 the last chunk never comes
  late=MS                answer MS milliseconds after the request was handled
  hang=1                 read the request and never answer
  stall=1                send half the body, then nothing until the client goes
  auth=1                 401 with Basic authentication unless the credentials match
  redirect=301|302|303   redirect; to=http (default), https, none (no Location) or a URL;
                         the follow-up keeps the other switches and carries hop=N
)";

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "zorvax-docserver: " << message << "\n" << kUsage;
  std::exit(2);
}

int portNumber(const std::string& text) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 65535) usageError("not a port: " + text);
  return static_cast<int>(value);
}

}  // namespace

int main(int argc, char** argv) {
  zxpeer::ServerConfig config;
  bool plainUpload = false, exitOnEof = false;
  std::string tlsName;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usageError(option + " needs a value");
      return argv[++i];
    };
    if (option == "--help") {
      std::cout << kUsage;
      return 0;
    } else if (option == "--data") {
      config.dataDir = value();
    } else if (option == "--state") {
      config.stateDir = value();
    } else if (option == "--bind") {
      config.bindAddress = value();
    } else if (option == "--port") {
      config.httpPort = portNumber(value());
    } else if (option == "--upload-port") {
      config.uploadPort = portNumber(value());
    } else if (option == "--plain-upload") {
      plainUpload = true;
    } else if (option == "--tls-name") {
      tlsName = value();
    } else if (option == "--auth") {
      std::string pair = value();
      size_t colon = pair.find(':');
      if (colon == std::string::npos) usageError("--auth wants USER:PASS");
      config.authUser = pair.substr(0, colon);
      config.authPassword = pair.substr(colon + 1);
    } else if (option == "--set") {
      std::string pair = value();
      size_t eq = pair.find('=');
      if (eq == std::string::npos) usageError("--set wants NAME=VALUE");
      config.defaults.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
    } else if (option == "--site") {
      config.siteDir = value();
    } else if (option == "--exit-on-eof") {
      exitOnEof = true;
    } else if (option == "--quiet") {
      config.quiet = true;
    } else {
      usageError("unknown option " + option);
    }
  }
  try {
    if (config.dataDir.empty()) config.dataDir = "zxdocs";
    std::filesystem::create_directories(config.dataDir);
    config.dataDir = std::filesystem::canonical(config.dataDir).string();
    if (config.stateDir.empty()) config.stateDir = config.dataDir + "/.docserver";
    std::filesystem::create_directories(config.stateDir);
    config.stateDir = std::filesystem::canonical(config.stateDir).string();
    if (!config.siteDir.empty()) config.siteDir = std::filesystem::canonical(config.siteDir).string();

    ::signal(SIGPIPE, SIG_IGN);
    zxpeer::ServerKeys keys = zxpeer::ServerKeys::loadOrCreate(config.stateDir, tlsName);
    zxpeer::TlsContext tls(keys.certificateFile(), keys.keyFile());
    int httpFd = zxpeer::listenOn(config.bindAddress, config.httpPort);
    int uploadFd = zxpeer::listenOn(config.bindAddress, config.uploadPort);
    zxpeer::DocServer server(config, keys);

    std::string host = config.bindAddress;
    std::cout << "http-port " << config.httpPort << "\n"
              << "upload-port " << config.uploadPort << "\n"
              << "download-url http://" << host << ":" << config.httpPort << "/docs/\n"
              << "upload-url " << (plainUpload ? "http" : "https") << "://" << host << ":" << config.uploadPort
              << "/upload\n"
              << "pubkey " << keys.publicKeyText() << "\n"
              << "certificate " << keys.certificateFile() << "\n"
              << "state " << config.stateDir << "\n"
              << "data " << config.dataDir << "\n"
              << (config.siteDir.empty() ? "" : "site-url http://" + host + ":" + std::to_string(config.httpPort) + "/site/\n")
              << "ready" << std::endl;

    auto serve = [&server](zxpeer::Stream& stream) { server.serve(stream); };
    std::thread uploads([&] { zxpeer::acceptLoop(uploadFd, plainUpload ? nullptr : &tls, serve); });
    uploads.detach();
    if (exitOnEof) {
      std::thread downloads([&] { zxpeer::acceptLoop(httpFd, nullptr, serve); });
      downloads.detach();
      char sink[256];
      while (::read(STDIN_FILENO, sink, sizeof sink) > 0) {
      }
      std::cout.flush();
      std::_Exit(0);
    }
    zxpeer::acceptLoop(httpFd, nullptr, serve);
  } catch (const std::exception& error) {
    std::cerr << error.what() << std::endl;
    return 1;
  }
  return 0;
}
