// A file of the execution layer that opens a dialog itself: the check of the
// layer must name this line.
#include "infra/mesbo.h"

void Refuse()
{
    qv::Mesbo().Show("Запуск теста невозможен", qv::MbError, "Пуск");
}

// Said through a notice sink instead: not named.
void Tell(const char *text[2]);
