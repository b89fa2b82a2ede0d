import QtQuick 2.5

Item {
}
