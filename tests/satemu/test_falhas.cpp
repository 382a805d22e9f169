#include "Emulador.h"
