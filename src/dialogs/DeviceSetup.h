#pragma once

class QWidget;
class TClientList;

// The "Device Setup" dialogs of the main menu, each shown modally and destroyed on closing.
void ShowFindClients(QWidget* parent, TClientList& clients, int serverPort);
void ShowFindByIP(QWidget* parent, TClientList& clients, int serverPort);
void ShowNetStick(QWidget* parent, int serverPort);
