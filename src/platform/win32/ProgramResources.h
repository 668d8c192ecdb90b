// Resource ids shared by the resource scripts and the code that loads them.
#pragma once

// The program's icon; the first icon of the executable, so the one Explorer shows.
#define IDI_VACANTOR 1
