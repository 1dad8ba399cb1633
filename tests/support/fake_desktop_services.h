// Desktop services that record what they were asked to do.
#pragma once

#include <QStringList>
#include <functional>

#include "app/desktop_services.h"

namespace lc::testing {

class FakeMessageBox : public MessageBox {
public:
    void show(const QString& text) override {
        shown.append(text);
        if (whileOpen) whileOpen(text);
    }

    QStringList shown;
    // Runs while the box is open, as the user's time before pressing OK.
    std::function<void(const QString&)> whileOpen;
};

class FakeClipboard : public Clipboard {
public:
    void setText(const QString& text) override { texts.append(text); }
    QStringList texts;  // every text put on the clipboard, in order
};

class FakeUrlOpener : public UrlOpener {
public:
    void open(const QString& url) override { opened.append(url); }
    QStringList opened;
};

class FakeSoundPlayer : public SoundPlayer {
public:
    void play(const QString& filePath) override { played.append(filePath); }
    QStringList played;
};

struct FakeDesktopServices {
    FakeMessageBox messages;
    FakeClipboard clipboard;
    FakeUrlOpener urls;
    FakeSoundPlayer sound;

    DesktopServices services() { return {messages, clipboard, urls, sound}; }
};

}  // namespace lc::testing
