// Stands in for Windows' desk.cpl, which Wine lacks, in the Wine tests: the
// installer's finish page runs `rundll32.exe desk.cpl,InstallScreenSaver
// <saver>`, and this records the saver it was asked to select in
// C:\desk-cpl-calls.txt, one line a call.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) void CALLBACK InstallScreenSaver(HWND, HINSTANCE, LPSTR saver, int)
{
    if (FILE* record = std::fopen("C:\\desk-cpl-calls.txt", "ab")) {
        std::fprintf(record, "%s\n", saver);
        std::fclose(record);
    }
}
