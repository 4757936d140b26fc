// Fixed identifiers of the control, its interfaces, property page and type library.
#pragma once

#include <windows.h>

namespace omni {

// {83C36558-A185-40B0-ADC1-71C34B4C9495}
inline constexpr GUID kLibId = {0x83C36558, 0xA185, 0x40B0, {0xAD, 0xC1, 0x71, 0xC3, 0x4B, 0x4C, 0x94, 0x95}};
// {2076BA6C-0D30-4FAF-AB90-C56F1A6A6893}
inline constexpr IID kDispatchIid = {0x2076BA6C, 0x0D30, 0x4FAF, {0xAB, 0x90, 0xC5, 0x6F, 0x1A, 0x6A, 0x68, 0x93}};
// {3E0BD541-A62B-4974-A8A4-171B8A1099DF}
inline constexpr IID kEventsIid = {0x3E0BD541, 0xA62B, 0x4974, {0xA8, 0xA4, 0x17, 0x1B, 0x8A, 0x10, 0x99, 0xDF}};
// {4814A6CB-9A5D-4F66-99F5-79413040054B}
inline constexpr CLSID kControlClsid = {0x4814A6CB, 0x9A5D, 0x4F66, {0x99, 0xF5, 0x79, 0x41, 0x30, 0x40, 0x05, 0x4B}};
// {4FE99D7E-E1E5-4D00-9479-73ED108E5EAF}
inline constexpr CLSID kPropPageClsid = {0x4FE99D7E, 0xE1E5, 0x4D00, {0x94, 0x79, 0x73, 0xED, 0x10, 0x8E, 0x5E, 0xAF}};

inline constexpr char kControlProgId[] = "OMNIPROBE.OmniprobeCtrl.1";
inline constexpr char kPropPageProgId[] = "OMNIPROBE.OmniprobePropPage.1";

// recompose-on-resize, can't-link-inside, inside-out, set-client-site-first, activate-when-visible
inline constexpr DWORD kControlMiscStatus = 131473;

// Dispatch identifiers of the scripting interface.
enum Dispid : DISPID {
    kDispServerUrl = 1,
    kDispMailAddr = 2,
    kDispInstallMode = 3,
    kDispSetWebMode = 4,
    kDispRetrieve = 5,
    kDispInstallOcx = 6,
    kDispInstallDll = 7,
    kDispModify = 8,
    kDispSaveTo = 9,
    kDispMailTo = 10,
    kDispInstallProgram = 11,
    kDispGetErrorMsg = 12,
    kDispShowSampleContent = 13,
    kDispShowIeToolbarList = 14,
    kDispGetDisabledIeAddins = 15,
    kDispLang = 16,
    kDispSendInformation = 17,
    kDispIsIe10OrAbove = 18,
    kDispIs64BitOs = 19,
    kDispGetIeVersion = 20,
};

inline constexpr DISPID kEventRetrieveComplete = 1;

}  // namespace omni
