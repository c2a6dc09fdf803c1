#pragma once
// The saver's entry routine. Windows' start-up code calls it as the GUI entry
// point (its arguments are not used); the POSIX main calls it after handing
// argv to the platform layer.
extern "C" int WinMain(void* instance, void* previousInstance, char* commandLine, int showCommand);
