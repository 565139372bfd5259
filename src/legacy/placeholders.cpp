#include "legacy/legacy.h"

#include "provider/catalogue.h"
#include "resources/resource.h"

// Placeholders until the dialogs land: their templates do not exist yet, so the
// page's DialogBoxParamA fails and these procedures never run.
INT_PTR CALLBACK IoRemapProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK NineBitModeProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
INT_PTR CALLBACK SleepModeProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

int IoRemapTemplateOf(uint32_t deviceType) {
    if (HasFeature(deviceType, FeatureOneSerialOneParallel)) return IDD_IO_REMAP_1S1P;
    if (HasFeature(deviceType, FeatureParallelOnly)) return IDD_IO_REMAP_1P;
    return IDD_IO_REMAP;
}

int NineBitTemplateOf(uint32_t deviceType) {
    return HasFeature(deviceType, FeatureOneSerialOneParallel) ? IDD_NINE_BIT_1S1P : IDD_NINE_BIT;
}
