#include "app/Vellicor.h"

int main(int argc, char *argv[])
{
    Application app(argc, argv);
    return app.run(); // runs the modal main dialog; the process ends with it
}
