#pragma once
#include <windows.h>

namespace Quillon::Selvane {

// The four entry arguments. Only the instance handle is used after start-up; the others
// are kept as received.
struct ApplicationRecord {
    HINSTANCE instance = nullptr;
    HINSTANCE previousInstance = nullptr;
    LPSTR commandLine = nullptr;
    int showCommand = 0;
};

extern ApplicationRecord application;

}  // namespace Quillon::Selvane
