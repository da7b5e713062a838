#pragma once

#include "core/LedRange.h"
#include "core/PrfDay.h"
#include "core/TCnx.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class IMonitorWindow;
class TStorageQueue;

// The record of one monitor connection, from its opening to its closing.
class TDTClient {
 public:
  TDTClient();
  TDTClient(const TDTClient&) = delete;
  TDTClient& operator=(const TDTClient&) = delete;

  void Connect();
  bool Connected() const { return ctx != nullptr && bConnected; }
  void Disconnect();
  // The monitor's folder: the data path with the ID appended as text.
  QString Folder() const;
  // Stores the ID, name and type in term.cfg, through the storage threads when given.
  void SaveTermInfo(TStorageQueue* storage);
  void SignalStrength(int nSignal);
  void ProcessBuf();
  void ShowLeds();
  void UpdateLeqBuf(const QString& sCsBuf);
  bool Downloading() const { return bPerDownload || bAlmDownload || bCalDownload || bPrfDownload; }

  bool bConnected = false;
  int iPeriod = 0;
  bool bPerDownload = false;
  bool bAlmDownload = false;
  bool bCalDownload = false;
  bool bPrfDownload = false;
  QStringList slPerFile;
  QStringList slAlmFile;
  QStringList slCalFile;
  TPrfDay slPrfFile;
  QString sPerFile;
  QString sAlmFile;
  QString sCalFile;
  QString sPrfFile;
  // When each download (per, alm, cal, prf) last sent a request or got a reply line.
  QDateTime dtDownloadActivity[4];
  QString sType;
  TCtx ctx;
  int nCnxTimeout = 30;
  QString ipadx;
  bool bPinged = false;
  int nPingMissCount = 0;
  QString sID;
  QString sName;
  QString sDeviceUID;
  QString sModules;
  double flLedLev = 0;
  double flLeq1s = 0;
  TLedRange leds;
  IMonitorWindow* frame = nullptr;
  std::vector<QDateTime> adtAlarms;
  int nLastAlmCount = 0;
};

// Reads a key of the [head] section of a monitor folder's term.cfg; empty when missing.
QString ReadTermInfo(const QString& folderName, const QString& key);
