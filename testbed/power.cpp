#include "power.h"

#include <windows.h>

#include "standins.h"

namespace tb {
namespace {

struct Budget {
    int left = -1;
    int calls = 0;
};

Budget& B() {
    static Budget budget;
    return budget;
}

}  // namespace

void SetMutationBudget(int calls) {
    B().left = calls;
    B().calls = 0;
}

int MutatingCalls() { return B().calls; }

bool SpendMutation() {
    ++B().calls;
    if (B().left < 0) return true;
    if (B().left == 0) return false;
    --B().left;
    return true;
}

namespace standin {

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    if (!SpendMutation()) return ERROR_WRITE_FAULT;
    return ::RegSetValueExA(key, name, reserved, type, data, size);
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
    if (!SpendMutation()) return ERROR_WRITE_FAULT;
    return ::RegDeleteValueA(key, name);
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR name) {
    if (!SpendMutation()) return ERROR_WRITE_FAULT;
    return ::RegDeleteKeyA(key, name);
}

}  // namespace standin
}  // namespace tb
