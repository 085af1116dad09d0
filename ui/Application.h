// TApplication: the program's QApplication. It knows the program's title and
// is the last stop of every error that no handler caught: the error is shown
// in an error box and the program carries on, so no exception ever unwinds
// through Qt's event loop.
#pragma once

#include <QApplication>
#include <QString>
#include <QTranslator>

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

class QLocale;

namespace vorpane {

// The executable's file name up to its first dot, its first letter capital,
// the rest in lower case: "vorpane" gives "Vorpane".
QString ApplicationTitle(const QString& Argv0);

// The text of the error box: the message, with a full stop added when its
// last character sorts after '.' (so "Aborted!" and "Done." stay as they are).
QString ErrorBoxText(const QString& Message);

class TApplication : public QApplication {
    Q_DECLARE_TR_FUNCTIONS(vorpane::TApplication)

public:
    TApplication(int& argc, char** argv);

    const QString& Title() const { return title_; }

    bool notify(QObject* Receiver, QEvent* Event) override;

    // Shows Message as an uncaught error: error icon, the title as caption.
    void ShowException(const QString& Message);

    // Shows the error box; tests replace it to see what would be shown.
    std::function<void(const QString& Caption, const QString& Text)> ErrorBox;

    // Lets the engine keep the window alive during long work and show its own
    // messages in a box.
    static void InstallEngineHooks();
    static void RemoveEngineHooks();

    // Speaks Locale's language where there is a translation: the window's
    // own words and Qt's (the file dialog's, the message boxes' buttons).
    // English, the words as written, needs none. A later call replaces the
    // languages of an earlier one.
    void LoadTranslations(const QLocale& Locale);

private:
    QString title_;
    std::vector<std::unique_ptr<QTranslator>> translators_;
};

// Shows the error being handled as TApplication::notify shows one that
// left an event: its message in the error box, "Unknown error" for what is
// no std::exception. Only inside a catch block.
void ShowCurrentException();

// Slot, wrapped for a signal connection: an error that leaves it is shown
// (ShowCurrentException) before it could unwind through Qt's signal
// machinery, which Qt does not allow. Every connection of the window to a
// handler of its own goes through it:
//   QObject::connect(Timer1, &QTimer::timeout, this, Guarded([this] { Timer1Timer(); }));
template <typename TSlot> auto Guarded(TSlot Slot) {
    // Callable with as many of the signal's arguments as Slot takes, which
    // is what Qt looks for.
    return [Slot = std::move(Slot)]<typename... TArgs>(
        TArgs && ... Args) requires std::is_invocable_v<const TSlot&, TArgs...> {
        try {
            Slot(std::forward<TArgs>(Args)...);
        } catch (...) { // every error is shown here; none may reach Qt
            ShowCurrentException();
        }
    };
}

} // namespace vorpane
