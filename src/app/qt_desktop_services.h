// The desktop services on Qt: message box, clipboard, default browser and media player.
#pragma once

#include <QAudioOutput>
#include <QMediaPlayer>

#include "app/desktop_services.h"

namespace lc {

class QtMessageBox : public MessageBox {
public:
    void show(const QString& text) override;
};

class SystemClipboard : public Clipboard {
public:
    void setText(const QString& text) override;
};

class DesktopUrlOpener : public UrlOpener {
public:
    void open(const QString& url) override;
};

class MediaSoundPlayer : public SoundPlayer {
public:
    MediaSoundPlayer();
    void play(const QString& filePath) override;
    const QMediaPlayer& player() const { return player_; }

private:
    QAudioOutput output_;
    QMediaPlayer player_;
};

// Owns one of each and hands them out as DesktopServices.
class QtDesktopServices {
public:
    DesktopServices services() { return {messages_, clipboard_, urls_, sound_}; }

private:
    QtMessageBox messages_;
    SystemClipboard clipboard_;
    DesktopUrlOpener urls_;
    MediaSoundPlayer sound_;
};

}  // namespace lc
