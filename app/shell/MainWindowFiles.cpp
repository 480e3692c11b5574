// Parameter configuration and user-set data files. Interim bodies.
#include "MainWindow.h"

#include "ui_MainWindow.h"

void MainWindow::on_pushButton_Save_clicked() {}
void MainWindow::on_pushButton_Load_clicked() {}
