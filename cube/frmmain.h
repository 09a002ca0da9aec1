// frmMain: the borderless cube window. Showing it runs its whole life in Form_Load: GL
// set-up, the six side textures and the render loop, until Escape.
#pragma once

#include "hostform.h"

// Set by the cube window when its render loop ends; tested and cleared by the picker.
extern bool cubeClosed;

class frmMain : public host::HostForm
{
public:
    frmMain();
    ~frmMain() override;

protected:
    void createNativeWindow() override;
    void destroyNativeWindow() override;
    void setNativeVisible(bool visible) override;
    bool nativeVisible() const override;
};
