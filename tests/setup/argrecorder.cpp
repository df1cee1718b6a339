// Writes the command line it was started with, one argument per line after a count, into
// "recorded-args.txt" in its current folder. On Windows the line as the system handed it over
// goes into "recorded-line.txt" too: how it was quoted is part of what is tested.
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
  std::FILE* out = std::fopen("recorded-args.txt", "wb");
  if (!out) return 1;
  std::fprintf(out, "%d\n", argc);
  for (int i = 0; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  std::fclose(out);
#ifdef _WIN32
  std::FILE* line = std::fopen("recorded-line.txt", "wb");
  if (!line) return 1;
  std::fputs(GetCommandLineA(), line);
  std::fclose(line);
#endif
  return 0;
}
