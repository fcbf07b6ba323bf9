#pragma once

class Application;
class BatteryStatus;
class Desktop;
class Prompts;
class TrayIcon;

// What the windows ask of Linux and the desktop, one interface a concern.
struct Platform
{
    Desktop &desktop;
    Prompts &prompts;
    Application &application;
    BatteryStatus &battery;
    TrayIcon &tray;
};
