/* A tool for the batch job tests under cmd: "tool NAME FILE" adds the line
   "made NAME" to FILE and ends with status 0, unless a file "fail-NAME" lies beside
   the tool, in which case it writes nothing and ends with status 3. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char** argv) {
  char marker[MAX_PATH + 64];
  DWORD length;
  char* last;
  FILE* out;
  if (argc != 3) return 2;
  length = GetModuleFileNameA(NULL, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 2;
  last = strrchr(marker, '\\');
  if (!last) return 2;
  snprintf(last + 1, sizeof marker - (size_t)(last + 1 - marker), "fail-%s", argv[1]);
  if (GetFileAttributesA(marker) != INVALID_FILE_ATTRIBUTES) return 3;
  out = fopen(argv[2], "ab");
  if (!out) return 4;
  fprintf(out, "made %s\r\n", argv[1]);
  return fclose(out) == 0 ? 0 : 4;
}
