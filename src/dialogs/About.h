#pragma once

#include "platform/Platform.h"

#include <QWidget>

class LinkLabel;
class QLabel;
class QPushButton;

// "About Dimmerling": name, version, description and three links. Close or
// Escape only hides it; the links take the keyboard focus after Close and open
// on Return or Enter as on a click.
class About : public QWidget
{
    Q_OBJECT

public:
    explicit About(const Platform &platform, QWidget *parent = nullptr);

    // Shows the dialog centred, or brings it to the front.
    void showAgain();

    // Close: hides the dialog; it keeps its state for the next showing.
    void Command1_Click();
    // The freeware article.
    void Label6_Click();
    // The donation page.
    void Image1_Click();
    // The home page.
    void Label5_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void arrangeControls();
    void makeLinks();
    void drawPictures();
    void openLink(const QString &address);

    const Platform m_platform;

    // Back to front: each control is created in front of the ones before.
    QLabel *const Label1;
    QLabel *const Label2;
    QLabel *const Label3;
    QLabel *const Label4;
    LinkLabel *const Label5;
    LinkLabel *const Image1;
    QLabel *const Image2;
    LinkLabel *const Label6;
    QPushButton *const Command1;

    bool m_followsScreen = false;
};
