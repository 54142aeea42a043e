#include "app/CommandLine.h"
#include "app/Vellicor.h"

int main(int argc, char *argv[])
{
    // Answered without a display: `vellicor --help` works over ssh too.
    if (const std::optional<int> status = answerInfoRequest(argc, argv))
        return *status;
    // Refused before QApplication, which would end the program where it finds no display.
    if (const std::optional<int> status = refuseUnknownArguments(argc, argv))
        return *status;
    // A screen of 144 dpi would be drawn at 1.5 times, where Qt's styles lose frame lines and
    // draw stray ones; at 1 times with the fonts at 144 dpi the dialog is as large, and sharp.
    // From 1.75 on it is drawn at twice the size. QT_SCALE_FACTOR_ROUNDING_POLICY still wins.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::RoundPreferFloor);
    Application app(argc, argv); // takes Qt's own options out of the arguments
    // What Qt did not take after all (-geometry where it is not X11's, for one).
    if (const std::optional<int> status = refuseUnknownArguments(QCoreApplication::arguments()))
        return *status;
    return app.run(); // runs the modal main dialog; the process ends with it
}
