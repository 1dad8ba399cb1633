// The desktop's side effects, each behind a small interface so tests can observe the calls.
// Real implementations are in qt_desktop_services.h; fakes in tests/support.
#pragma once

#include <QString>

namespace lc {

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows text with the caption "信息：" and an OK button; returns when the user closes it.
    // Timers and browser events go on being handled meanwhile.
    virtual void show(const QString& text) = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString& text) = 0;
};

class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Opens url in the system's default browser.
    virtual void open(const QString& url) = 0;
};

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Plays the file once without waiting for its end; stops a playback still running.
    // A missing file plays nothing.
    virtual void play(const QString& filePath) = 0;
};

// The services handed to the components; the objects live as long as the program.
struct DesktopServices {
    MessageBox& messages;
    Clipboard& clipboard;
    UrlOpener& urls;
    SoundPlayer& sound;
};

}  // namespace lc
