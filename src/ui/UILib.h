#pragma once
// Everything a panel or window of the program needs from the UI layer.
#include "ui/UIBase.h"
#include "ui/UIBuilder.h"
#include "ui/UICommonControls.h"
#include "ui/UIContainer.h"
#include "ui/UIControl.h"
#include "ui/UICustomWidgets.h"
#include "ui/UIDialogs.h"
#include "ui/UIImage.h"
#include "ui/UIList.h"
#include "ui/UIManager.h"
#include "ui/UIResource.h"
#include "ui/UIWindow.h"
