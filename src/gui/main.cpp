// RIR Controller: the control station for RIR power supplies.
#include "CControlApp.h"

int main(int argc, char** argv) {
    rir::CControlApp app(argc, argv);
    return app.Run();
}
