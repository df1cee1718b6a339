// Writes the command line it was started with, one argument per line after a count, into
// "recorded-args.txt" in its current folder.
#include <cstdio>

int main(int argc, char** argv) {
  std::FILE* out = std::fopen("recorded-args.txt", "w");
  if (!out) return 1;
  std::fprintf(out, "%d\n", argc);
  for (int i = 0; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
  std::fclose(out);
  return 0;
}
