#include <windows.h>

#include "app/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    return Quillon::Selvane::runProgram(instance, previousInstance, commandLine, showCommand);
}
