/* Stands in for ffmpeg.exe in the Windows build's tests, where no ffmpeg for Windows is
   installed: takes the pictures from its input and writes, to the file its last argument
   names after "file:", each argument it got on a line of its own and then how many bytes
   came. With STANDIN_HANG set it takes nothing and waits for ever. */
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (getenv("STANDIN_HANG")) Sleep(INFINITE);
    char buffer[65536];
    DWORD got = 0;
    unsigned long long bytes = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, NULL) && got > 0) bytes += got;
    if (argc < 2 || wcsncmp(argv[argc - 1], L"file:", 5) != 0) return 3;
    FILE* out = _wfopen(argv[argc - 1] + 5, L"w");
    if (!out) return 4;
    for (int i = 1; i < argc; ++i) fwprintf(out, L"%ls\n", argv[i]);
    fprintf(out, "%llu bytes\n", bytes);
    return fclose(out) == 0 ? 0 : 5;
}
