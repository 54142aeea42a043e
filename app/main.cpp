#include "app/CommandLine.h"
#include "app/Vellicor.h"

int main(int argc, char *argv[])
{
    // Answered without a display: `vellicor --help` works over ssh too.
    if (const std::optional<int> status = answerInfoRequest(argc, argv))
        return *status;
    Application app(argc, argv); // takes Qt's own options out of the arguments
    if (const std::optional<int> status = refuseUnknownArguments(QCoreApplication::arguments()))
        return *status;
    return app.run(); // runs the modal main dialog; the process ends with it
}
