// The platform services the windows use, handed to them by main (real ones) or by tests
// (fakes).
#pragma once

class IClipboard;
class IDesktop;
class IFileDialogBackend;
class IMessageService;
class IProcessService;
class ISystemInfo;

struct PlatformServices {
    IFileDialogBackend& fileDialogs;
    IProcessService& processes;
    IDesktop& desktop;
    IClipboard& clipboard;
    ISystemInfo& system;
    IMessageService& messages;
};
