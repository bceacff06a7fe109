// The program's entry: the console dialog first, then the window.
#include "app/window.h"
#include "model/dialog.h"
#include "model/state.h"

int main(int argc, char** argv)
{
    lastKey = 'm';
    inputParameters();
    initWindow(&argc, argv);
}
