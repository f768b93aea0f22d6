// The main window's class for tests, registered again with a new background brush: destroying a main
// window deletes the brush of its class.
#pragma once

void RegisterMainWindowClassAfresh();
