// ztui-demo --cli: a short ztcfg session on simulated boards of one model.
#pragma once
#include <windows.h>

int RunCliSession(DWORD type, int ports, DWORD uart);
