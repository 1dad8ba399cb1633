// The publisher's remote stop switch, read once at start-up, and the alert sound file.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace lc {

struct NoticeHooks {
    std::function<void(const QString& text)> showMessage;  // returns when the user closed it
    std::function<void(const QString& url)> openUrl;       // system browser
    std::function<void()> processEvents;                   // lets pending events run between fetches
};

class StartupNotice {
public:
    static constexpr const char* kSwitchPath = "/others/quenmar/1.txt";
    static constexpr const char* kMessagePath = "/others/quenmar/2.txt";
    static constexpr const char* kPagePath = "/others/quenmar/3.txt";

    // timeoutSeconds 0 keeps the HTTP routine's own 30-second timeouts.
    StartupNotice(std::string baseUrl, QString runDirectory, NoticeHooks hooks, int timeoutSeconds = 0);

    // False when the notice server says "open": its message was shown and its page opened, and
    // the program must end with exit code 0. Otherwise writes bg.mp3 and returns true.
    bool check();

    static QString alertSoundPath(const QString& runDirectory);

private:
    std::string fetch(const char* path) const;
    void writeAlertSound() const;

    std::string baseUrl_;
    QString runDirectory_;
    NoticeHooks hooks_;
    int timeoutSeconds_;
};

}  // namespace lc
