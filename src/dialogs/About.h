#pragma once

#include <QWidget>

class WindowServices;

// "About Dimmerling": name, version, description and three links. Close only
// hides it.
class About : public QWidget
{
    Q_OBJECT

public:
    explicit About(WindowServices &window, QWidget *parent = nullptr);

    // Shows the dialog centred, or brings it to the front.
    void showAgain();
};
