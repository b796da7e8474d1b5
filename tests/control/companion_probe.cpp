// Stands in for the companion program when a test starts it for real: writes the arguments it
// was started with, each on a line of its own, into "started" in its own folder.
#include <cstdio>
#include <string>

#include <windows.h>

int main(int argc, char** argv) {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::string marker(self, length);
  marker.erase(marker.find_last_of('\\') + 1);
  marker += "started";
  std::string line;
  for (int i = 1; i < argc; ++i) line += std::string(argv[i]) + '\n';
  std::FILE* out = std::fopen(marker.c_str(), "wb");
  if (!out) return 1;
  std::fwrite(line.data(), 1, line.size(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}
