#include "app/qt_desktop_services.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace {

const QString kAlertSound = QStringLiteral(LC_ASSETS_DIR "/bg.mp3");

TEST(SystemClipboard, HoldsExactlyTheTextGiven) {
    lc::SystemClipboard clipboard;
    for (const QString& text :
         {QStringLiteral("https://uland.example/?e=1"), QStringLiteral("商品 标题"), QString()}) {
        clipboard.setText(text);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
    }
}

TEST(MediaSoundPlayer, PlaysTheFileToItsEnd) {
    ASSERT_TRUE(QFile::exists(kAlertSound));
    lc::MediaSoundPlayer sound;
    QSignalSpy statuses(&sound.player(), &QMediaPlayer::mediaStatusChanged);
    sound.play(kAlertSound);
    EXPECT_EQ(sound.player().playbackState(), QMediaPlayer::PlayingState);
    for (int waits = 0; waits < 10 && sound.player().mediaStatus() != QMediaPlayer::EndOfMedia; ++waits)
        statuses.wait(2000);
    EXPECT_EQ(sound.player().mediaStatus(), QMediaPlayer::EndOfMedia);
}

TEST(MediaSoundPlayer, AMissingFilePlaysNothingAndStopsTheRunningPlayback) {
    QTemporaryDir dir;
    lc::MediaSoundPlayer sound;
    sound.play(kAlertSound);
    ASSERT_EQ(sound.player().playbackState(), QMediaPlayer::PlayingState);
    sound.play(dir.filePath(QStringLiteral("bg.mp3")));
    EXPECT_EQ(sound.player().playbackState(), QMediaPlayer::StoppedState);
    EXPECT_TRUE(sound.player().source().isEmpty());
}

}  // namespace
