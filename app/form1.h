// Form1: the picker window.
#pragma once
