#include "frmmain.h"

bool cubeClosed = false;

frmMain::frmMain() = default;
frmMain::~frmMain() = default;
void frmMain::createNativeWindow() {}
void frmMain::destroyNativeWindow() {}
void frmMain::setNativeVisible(bool) {}
bool frmMain::nativeVisible() const { return false; }
