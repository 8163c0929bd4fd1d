#pragma once
// The product's version and names: the version resources of the program and its DLLs, the
// About box's version string, and the installer (which reads the version from here).

#define QUORLIN_VERSION_TEXT "2.0.5"
#define QUORLIN_VERSION_NUMBERS 2, 0, 5, 0
#define QUORLIN_PRODUCT_NAME "Quorlin 录屏"
#define QUORLIN_PUBLISHER "Quorlin"
#define QUORLIN_COPYRIGHT "Copyright © 2026 The Quorlin developers"
