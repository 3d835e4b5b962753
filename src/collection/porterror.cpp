#include "porterror.h"

int portErrorNumber(serial::PortError::Kind kind) {
    switch (kind) {
    case serial::PortError::BadPortNumber: return 8002;
    case serial::PortError::PortInUse: return 8005;
    case serial::PortError::BadSettings: return 380;
    case serial::PortError::NotOpen: return 8018;
    case serial::PortError::DeviceFailed: break;
    }
    return 8015;
}

QString portErrorText(const serial::PortError& error, int portNumber) {
    // A port that another holds is freed where it is held; any other
    // refusal is mended in the settings.
    const QString advice = error.kind() == serial::PortError::PortInUse
                               ? QStringLiteral("請關閉占用該端口的窗口或程序，或進入系統配置重新設置端口號！")
                               : QStringLiteral("請進入系統配置重新設置端口號！");
    return QString::number(portErrorNumber(error.kind())) + QStringLiteral("   ") + QStringLiteral(" 端口 (com")
           + QString::number(portNumber) + QStringLiteral(") ") + error.message() + advice;
}
