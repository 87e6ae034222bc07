// Resource identities shared by the resource script and the code (kept ASCII: resource compilers
// read their input in the machine's code page).
#pragma once

#define IDI_TARVIK 1
#define IDR_SKIN_ENGINE 101
#define IDR_SKIN_1 102
