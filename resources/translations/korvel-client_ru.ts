<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ConfigurationWidget</name>
    <message>
        <source>Meterage configuration</source>
        <translation>Конфигурация измерений</translation>
    </message>
    <message>
        <source>I&lt;sub&gt;A&lt;/sub&gt;, I&lt;sub&gt;C&lt;/sub&gt; range:</source>
        <translation>Диапазон I&lt;sub&gt;A&lt;/sub&gt;, I&lt;sub&gt;C&lt;/sub&gt;:</translation>
    </message>
    <message>
        <source>Kt:</source>
        <translation>Kт:</translation>
    </message>
    <message>
        <source>Kt&lt;sub&gt;0&lt;/sub&gt;:</source>
        <translation>Kт&lt;sub&gt;0&lt;/sub&gt;:</translation>
    </message>
    <message>
        <source>Protection configuration</source>
        <translation>Конфигурация защит</translation>
    </message>
    <message>
        <source>DI Block TO mode:</source>
        <translation>Режим ДВ Блок. ТО:</translation>
    </message>
    <message>
        <source>MTZ instant reset mode:</source>
        <translation>Режим ускоренного возврата МТЗ:</translation>
    </message>
    <message>
        <source>MTZ instant resetting time:</source>
        <translation>Время ускоренного возврата МТЗ:</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Изменить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source> sec</source>
        <translation> с</translation>
    </message>
</context>
<context>
    <name>ConnectionSettingsDialog</name>
    <message>
        <source>Connection settings</source>
        <translation>Параметры подключения</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Порт:</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Обновить</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Описание:</translation>
    </message>
    <message>
        <source>Manufacturer:</source>
        <translation>Производитель:</translation>
    </message>
    <message>
        <source>Baud rate:</source>
        <translation>Скорость:</translation>
    </message>
    <message>
        <source>Parity:</source>
        <translation>Чётность:</translation>
    </message>
    <message>
        <source>Data bits:</source>
        <translation>Биты данных:</translation>
    </message>
    <message>
        <source>Stop bits:</source>
        <translation>Стоповые биты:</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>None</source>
        <comment>parity</comment>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Even</source>
        <comment>parity</comment>
        <translation>Чёт</translation>
    </message>
    <message>
        <source>Odd</source>
        <comment>parity</comment>
        <translation>Нечет</translation>
    </message>
</context>
<context>
    <name>CrashListModel</name>
    <message>
        <source>#</source>
        <translation>№</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>crash type</comment>
        <translation>Тип</translation>
    </message>
    <message>
        <source>Current</source>
        <comment>electric current</comment>
        <translation>Ток</translation>
    </message>
    <message>
        <source> kA</source>
        <comment>kiloampere suffix</comment>
        <translation> кА</translation>
    </message>
    <message>
        <source> A</source>
        <comment>ampere suffix</comment>
        <translation> А</translation>
    </message>
</context>
<context>
    <name>CrashLogWidget</name>
    <message>
        <source>Total crash count:</source>
        <translation>Всего аварий:</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Обновить</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Экспорт…</translation>
    </message>
    <message>
        <source>Export crash log</source>
        <translation>Экспорт памяти аварий</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>The crash log could not be written to &quot;%1&quot;.
%2</source>
        <translation>Не удалось записать память аварий в «%1».
%2</translation>
    </message>
</context>
<context>
    <name>CurrentIndicator</name>
    <message>
        <source> A</source>
        <translation> А</translation>
    </message>
    <message>
        <source> kA</source>
        <translation> кА</translation>
    </message>
</context>
<context>
    <name>DeviceInfoWidget</name>
    <message>
        <source>Device info</source>
        <translation>Устройство</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Заводской номер:</translation>
    </message>
    <message>
        <source>Software version:</source>
        <translation>Версия ПО:</translation>
    </message>
    <message>
        <source>Modbus ID:</source>
        <translation>Адрес Modbus:</translation>
    </message>
    <message>
        <source>Modbus baud rate:</source>
        <translation>Скорость Modbus:</translation>
    </message>
</context>
<context>
    <name>DeviceListModel</name>
    <message>
        <source>Device %1</source>
        <translation>Устройство %1</translation>
    </message>
    <message>
        <source>Requests: %1
Answers: %2
Timeouts: %3
Errors: %4
Last answer: none</source>
        <translation>Запросов: %1
Ответов: %2
Тайм-аутов: %3
Ошибок: %4
Последний ответ: нет</translation>
    </message>
    <message>
        <source>Requests: %1
Answers: %2
Timeouts: %3
Errors: %4
Last answer: %5</source>
        <translation>Запросов: %1
Ответов: %2
Тайм-аутов: %3
Ошибок: %4
Последний ответ: %5</translation>
    </message>
    <message>
        <source>The relay has stopped answering.</source>
        <translation>Реле перестало отвечать.</translation>
    </message>
</context>
<context>
    <name>DeviceMonitor</name>
    <message>
        <source>You are not allowed to use this port. Ask your administrator to add your user to the &quot;dialout&quot; group, then log out and log in again.</source>
        <translation>Нет прав на работу с этим портом. Попросите администратора добавить вашего пользователя в группу &quot;dialout&quot;, затем выйдите из системы и войдите снова.</translation>
    </message>
</context>
<context>
    <name>DeviceTimeDialog</name>
    <message>
        <source>Set time</source>
        <translation>Установка времени</translation>
    </message>
    <message>
        <source>Current time</source>
        <translation>Текущее время</translation>
    </message>
    <message>
        <source>Auto adjust for DST -</source>
        <translation>Автопереход на летнее время -</translation>
    </message>
    <message>
        <source>New time</source>
        <translation>Новое время</translation>
    </message>
    <message>
        <source>Use system time</source>
        <translation>Системное время</translation>
    </message>
    <message>
        <source>Auto adjust for DST</source>
        <translation>Автопереход на летнее время</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source>Set to All</source>
        <translation>Записать во все</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Set time - %1</source>
        <translation>Установка времени - %1</translation>
    </message>
    <message>
        <source>The new time was sent to all devices; a broadcast is not confirmed.</source>
        <translation>Новое время отправлено всем устройствам; широковещательная запись не подтверждается.</translation>
    </message>
    <message>
        <source>Device %1 took the new time.</source>
        <translation>Устройство %1 приняло новое время.</translation>
    </message>
    <message>
        <source>Device %1 did not confirm the new time.</source>
        <translation>Устройство %1 не подтвердило новое время.</translation>
    </message>
</context>
<context>
    <name>DeviceTimeWidget</name>
    <message>
        <source>Device time</source>
        <translation>Время устройства</translation>
    </message>
    <message>
        <source>Auto adjust for DST -</source>
        <translation>Автопереход на летнее время -</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Установить</translation>
    </message>
    <message>
        <source>Auto adjust for DST enabled</source>
        <translation>Автопереход на летнее время включён</translation>
    </message>
    <message>
        <source>Auto adjust for DST disabled</source>
        <translation>Автопереход на летнее время отключён</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Korvel-client</source>
        <translation>Korvel-client</translation>
    </message>
    <message>
        <source>Devices</source>
        <translation>Устройства</translation>
    </message>
    <message>
        <source>Scan range:</source>
        <translation>Диапазон поиска:</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Device info</source>
        <translation>Устройство</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>Монитор</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Конфигурация</translation>
    </message>
    <message>
        <source>Setpoints</source>
        <translation>Уставки</translation>
    </message>
    <message>
        <source>Crash log</source>
        <translation>Память аварий</translation>
    </message>
    <message>
        <source>Modules</source>
        <translation>Модули</translation>
    </message>
    <message>
        <source>Device time</source>
        <translation>Время устройства</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>Меню</translation>
    </message>
    <message>
        <source>ToolBar</source>
        <translation>Панель инструментов</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Открыть порт</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Закрыть порт</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Connection settings</source>
        <translation>Параметры подключения</translation>
    </message>
    <message>
        <source>Refresh</source>
        <translation>Обновить</translation>
    </message>
    <message>
        <source>Auto-refresh</source>
        <translation>Автообновление</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Connected (%1)</source>
        <translation>Порт открыт (%1)</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Порт закрыт</translation>
    </message>
    <message>
        <source>&lt;h2&gt;%1&lt;/h2&gt;Version: %2&lt;hr&gt;&lt;br&gt;&lt;img src = &apos;:/icons/logo.jpg&apos;&gt;&lt;p&gt;&lt;b&gt;Korvel&lt;/b&gt;&lt;br&gt;Relay service software by the Korvel-client developers.&lt;/p&gt;</source>
        <translation>&lt;h2&gt;%1&lt;/h2&gt;Версия: %2&lt;hr&gt;&lt;br&gt;&lt;img src = &apos;:/icons/logo.jpg&apos;&gt;&lt;p&gt;&lt;b&gt;Korvel&lt;/b&gt;&lt;br&gt;Программа обслуживания реле. Разработчики Korvel-client.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Connection error</source>
        <translation>Ошибка подключения</translation>
    </message>
    <message>
        <source>Couldn`t open port &quot;%1&quot;
%2</source>
        <translation>Не удалось открыть порт &quot;%1&quot;
%2</translation>
    </message>
    <message>
        <source>Couldn`t close port &quot;%1&quot;</source>
        <translation>Не удалось закрыть порт &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Log clearing</source>
        <translation>Очистка памяти аварий</translation>
    </message>
    <message>
        <source>Are you sure to clear log?</source>
        <translation>Очистить память аварий?</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>F5</source>
        <translation>F5</translation>
    </message>
    <message>
        <source>Written: configuration (Device %1)</source>
        <translation>Конфигурация записана в устройство %1</translation>
    </message>
    <message>
        <source>Write failed: configuration (Device %1)</source>
        <translation>Не удалось записать конфигурацию в устройство %1</translation>
    </message>
    <message>
        <source>Written: checkback (Device %1)</source>
        <translation>Квитирование выполнено на устройстве %1</translation>
    </message>
    <message>
        <source>Write failed: checkback (Device %1)</source>
        <translation>Не удалось выполнить квитирование на устройстве %1</translation>
    </message>
    <message>
        <source>Written: setpoints (Device %1)</source>
        <translation>Уставки записаны в устройство %1</translation>
    </message>
    <message>
        <source>Write failed: setpoints (Device %1)</source>
        <translation>Не удалось записать уставки в устройство %1</translation>
    </message>
    <message>
        <source>Written: crash log clearing (Device %1)</source>
        <translation>Память аварий устройства %1 очищена</translation>
    </message>
    <message>
        <source>Write failed: crash log clearing (Device %1)</source>
        <translation>Не удалось очистить память аварий устройства %1</translation>
    </message>
    <message>
        <source>Written: device time (Device %1)</source>
        <translation>Время записано в устройство %1</translation>
    </message>
    <message>
        <source>Write failed: device time (Device %1)</source>
        <translation>Не удалось записать время в устройство %1</translation>
    </message>
    <message>
        <source>Sent to all devices: device time</source>
        <translation>Время отправлено всем устройствам</translation>
    </message>
    <message>
        <source>Not sent to all devices: device time</source>
        <translation>Не удалось отправить время всем устройствам</translation>
    </message>
    <message>
        <source>Device %1 answers again</source>
        <translation>Устройство %1 снова отвечает</translation>
    </message>
    <message>
        <source>Device %1 does not answer</source>
        <translation>Устройство %1 не отвечает</translation>
    </message>
    <message>
        <source>Traffic</source>
        <translation>Обмен</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Вид</translation>
    </message>
</context>
<context>
    <name>MeterageTrendWidget</name>
    <message>
        <source>IA</source>
        <translation>IA</translation>
    </message>
    <message>
        <source>IC</source>
        <translation>IC</translation>
    </message>
    <message>
        <source>3I0</source>
        <translation>3I0</translation>
    </message>
    <message>
        <source>3U0</source>
        <translation>3I0 {3U?}</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 мин</translation>
    </message>
    <message>
        <source>Voltage, V</source>
        <translation>Напряжение, В</translation>
    </message>
    <message>
        <source>Trend over:</source>
        <translation>Тренд за:</translation>
    </message>
    <message>
        <source>Current, kA</source>
        <translation>Ток, кА</translation>
    </message>
    <message>
        <source>Current, A</source>
        <translation>Ток, А</translation>
    </message>
</context>
<context>
    <name>ModulesWidget</name>
    <message>
        <source>Modules</source>
        <translation>Модули</translation>
    </message>
    <message>
        <source>APV</source>
        <translation>АПВ</translation>
    </message>
    <message>
        <source>ZNZ</source>
        <translation>ЗНЗ</translation>
    </message>
    <message>
        <source>ZNZ(3I&lt;sub&gt;0&lt;/sub&gt;)</source>
        <translation>ЗНЗ(3I&lt;sub&gt;0&lt;/sub&gt;)</translation>
    </message>
    <message>
        <source>ZNZ(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;)</source>
        <translation>ЗНЗ(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;)</translation>
    </message>
    <message>
        <source>IND</source>
        <translation>ИНД</translation>
    </message>
</context>
<context>
    <name>MonitorWidget</name>
    <message>
        <source>Meterage</source>
        <translation>Измерения</translation>
    </message>
    <message>
        <source>I&lt;sub&gt;A&lt;/sub&gt;:</source>
        <translation>I&lt;sub&gt;A&lt;/sub&gt;:</translation>
    </message>
    <message>
        <source>I&lt;sub&gt;C&lt;/sub&gt;:</source>
        <translation>I&lt;sub&gt;C&lt;/sub&gt;:</translation>
    </message>
    <message>
        <source>3I&lt;sub&gt;0&lt;/sub&gt;:</source>
        <translation>3I&lt;sub&gt;0&lt;/sub&gt;:</translation>
    </message>
    <message>
        <source>3U&lt;sub&gt;0&lt;/sub&gt;:</source>
        <translation>3U&lt;sub&gt;0&lt;/sub&gt;:</translation>
    </message>
    <message>
        <source>∠(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;):</source>
        <translation>∠(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;):</translation>
    </message>
    <message>
        <source>Discrete inputs</source>
        <translation>Дискретные входы</translation>
    </message>
    <message>
        <source>DI Block TO</source>
        <translation>ДВ Блок. ТО</translation>
    </message>
    <message>
        <source>DI RPV</source>
        <translation>ДВ РПВ</translation>
    </message>
    <message>
        <source>DI AChR</source>
        <translation>ДВ АЧР</translation>
    </message>
    <message>
        <source>DI SIS</source>
        <translation>ДВ СИС</translation>
    </message>
    <message>
        <source>Latest crash</source>
        <translation>Последняя авария</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Тип:</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Время:</translation>
    </message>
    <message>
        <source>Current:</source>
        <translation>Ток:</translation>
    </message>
    <message>
        <source>LEDs</source>
        <translation>Светодиоды</translation>
    </message>
    <message>
        <source>APV ready</source>
        <translation>Готовность АПВ</translation>
    </message>
    <message>
        <source>MTZ</source>
        <translation>МТЗ</translation>
    </message>
    <message>
        <source>APV</source>
        <translation>АПВ</translation>
    </message>
    <message>
        <source>TO</source>
        <translation>ТО</translation>
    </message>
    <message>
        <source>ZNZ</source>
        <translation>ЗНЗ</translation>
    </message>
    <message>
        <source>AChR</source>
        <translation>АЧР</translation>
    </message>
    <message>
        <source>Checkback</source>
        <translation>Квитирование</translation>
    </message>
    <message>
        <source>Total crash count:</source>
        <translation>Всего аварий:</translation>
    </message>
    <message>
        <source> V</source>
        <translation> В</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>1 - 41</source>
        <comment>phase current range</comment>
        <translation>1 - 41</translation>
    </message>
    <message>
        <source>2 - 82</source>
        <comment>phase current range</comment>
        <translation>2 - 82</translation>
    </message>
    <message>
        <source>4 - 164</source>
        <comment>phase current range</comment>
        <translation>4 - 164</translation>
    </message>
    <message>
        <source>8 - 328</source>
        <comment>phase current range</comment>
        <translation>8 - 328</translation>
    </message>
    <message>
        <source>continuously</source>
        <comment>DI Block TO mode</comment>
        <translation>непрерывно</translation>
    </message>
    <message>
        <source>2 sec</source>
        <comment>DI Block TO mode</comment>
        <translation>2 с</translation>
    </message>
    <message>
        <source>off</source>
        <comment>protection function mode</comment>
        <translation>выкл</translation>
    </message>
    <message>
        <source>on</source>
        <comment>protection function mode</comment>
        <translation>вкл</translation>
    </message>
    <message>
        <source>MTZ</source>
        <comment>crash type</comment>
        <translation>МТЗ</translation>
    </message>
    <message>
        <source>TO</source>
        <comment>crash type</comment>
        <translation>ТО</translation>
    </message>
    <message>
        <source>ZNZ</source>
        <comment>crash type</comment>
        <translation>ЗНЗ</translation>
    </message>
    <message>
        <source>APV 1</source>
        <comment>crash type</comment>
        <translation>АПВ 1</translation>
    </message>
    <message>
        <source>APV 2</source>
        <comment>crash type</comment>
        <translation>АПВ 2</translation>
    </message>
    <message>
        <source>AChR</source>
        <comment>crash type</comment>
        <translation>АЧР</translation>
    </message>
</context>
<context>
    <name>ServiceWidget</name>
    <message>
        <source>Service</source>
        <translation>Сервис</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Заводской номер:</translation>
    </message>
    <message>
        <source>Order number:</source>
        <translation>Номер заказа:</translation>
    </message>
</context>
<context>
    <name>SetpointsWidget</name>
    <message>
        <source>MTZ-TO</source>
        <translation>МТЗ-ТО</translation>
    </message>
    <message>
        <source>ZNZ</source>
        <translation>ЗНЗ</translation>
    </message>
    <message>
        <source>APV</source>
        <translation>АПВ</translation>
    </message>
    <message>
        <source>MTZ mode:</source>
        <translation>Режим МТЗ:</translation>
    </message>
    <message>
        <source>Pick-up current:</source>
        <translation>Ток срабатывания:</translation>
    </message>
    <message>
        <source>Characteristic time curve:</source>
        <translation>Времятоковая характеристика:</translation>
    </message>
    <message>
        <source>Reaction time:</source>
        <translation>Время срабатывания:</translation>
    </message>
    <message>
        <source>TO mode:</source>
        <translation>Режим ТО:</translation>
    </message>
    <message>
        <source>Resetting time:</source>
        <translation>Время возврата:</translation>
    </message>
    <message>
        <source>Mode:</source>
        <comment>ZNZ Mode</comment>
        <translation>Режим:</translation>
    </message>
    <message>
        <source>Pick-up voltage:</source>
        <translation>Напряжение срабатывания:</translation>
    </message>
    <message>
        <source>First angle ∠(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;):</source>
        <translation>Начальный угол ∠(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;):</translation>
    </message>
    <message>
        <source>Last angle ∠(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;):</source>
        <translation>Конечный угол ∠(3I&lt;sub&gt;0&lt;/sub&gt;,3U&lt;sub&gt;0&lt;/sub&gt;):</translation>
    </message>
    <message>
        <source>Mode:</source>
        <comment>APV Mode</comment>
        <translation>Режим:</translation>
    </message>
    <message>
        <source>Readiness time:</source>
        <translation>Время готовности:</translation>
    </message>
    <message>
        <source>Reaction time, 1st:</source>
        <translation>Время срабатывания, 1-й цикл:</translation>
    </message>
    <message>
        <source>Reaction time, 2nd:</source>
        <translation>Время срабатывания, 2-й цикл:</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Изменить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source> A</source>
        <translation> А</translation>
    </message>
    <message>
        <source> sec</source>
        <translation> с</translation>
    </message>
    <message>
        <source> V</source>
        <translation> В</translation>
    </message>
    <message>
        <source> °</source>
        <translation> °</translation>
    </message>
    <message>
        <source>independent</source>
        <translation>независимая</translation>
    </message>
    <message>
        <source>normally inverse</source>
        <translation>нормально инверсная</translation>
    </message>
    <message>
        <source>strongly inverse</source>
        <translation>сильно инверсная</translation>
    </message>
    <message>
        <source>sharp</source>
        <translation>крутая</translation>
    </message>
    <message>
        <source>flat</source>
        <translation>пологая</translation>
    </message>
    <message>
        <source>3I0</source>
        <translation>3I0</translation>
    </message>
    <message>
        <source>3I0 &amp; 3U0</source>
        <translation>3I0 и 3U0</translation>
    </message>
    <message>
        <source>3I0 &amp; 3U0 --&gt;</source>
        <translation>3I0 и 3U0 --&gt;</translation>
    </message>
    <message>
        <source>single</source>
        <translation>однократное</translation>
    </message>
    <message>
        <source>double</source>
        <translation>двукратное</translation>
    </message>
</context>
<context>
    <name>TrafficDockWidget</name>
    <message>
        <source>Traffic</source>
        <translation>Обмен</translation>
    </message>
    <message>
        <source>Slave ID:</source>
        <translation>Адрес:</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Пауза</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Save as CSV...</source>
        <translation>Сохранить в CSV...</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Все</translation>
    </message>
    <message>
        <source>Save traffic</source>
        <translation>Сохранение обмена</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>Couldn&apos;t save the traffic to %1: %2</source>
        <translation>Не удалось сохранить обмен в %1: %2</translation>
    </message>
    <message>
        <source>0 (all relays)</source>
        <translation>0 (все реле)</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>No relays found by the last scan.</source>
        <translation>Последний поиск не нашёл ни одного реле.</translation>
    </message>
    <message>
        <source>Device %1, not answering: requests %2, answers %3, timeouts %4, errors %5, last answer %6</source>
        <translation>Устройство %1 не отвечает: запросов %2, ответов %3, тайм-аутов %4, ошибок %5, последний ответ %6</translation>
    </message>
    <message>
        <source>Device %1: requests %2, answers %3, timeouts %4, errors %5, last answer %6</source>
        <translation>Устройство %1: запросов %2, ответов %3, тайм-аутов %4, ошибок %5, последний ответ %6</translation>
    </message>
    <message>
        <source>Shown: %1; paused, waiting: %2</source>
        <translation>Показано: %1; пауза, ожидают: %2</translation>
    </message>
    <message>
        <source>Shown: %1</source>
        <translation>Показано: %1</translation>
    </message>
</context>
<context>
    <name>TrafficModel</name>
    <message>
        <source>illegal function</source>
        <translation>недопустимая функция</translation>
    </message>
    <message>
        <source>illegal data address</source>
        <translation>недопустимый адрес данных</translation>
    </message>
    <message>
        <source>illegal data value</source>
        <translation>недопустимое значение данных</translation>
    </message>
    <message>
        <source>slave device failure</source>
        <translation>отказ устройства</translation>
    </message>
    <message>
        <source>acknowledge</source>
        <translation>запрос принят</translation>
    </message>
    <message>
        <source>slave device busy</source>
        <translation>устройство занято</translation>
    </message>
    <message>
        <source>negative acknowledge</source>
        <translation>запрос отклонён</translation>
    </message>
    <message>
        <source>memory parity error</source>
        <translation>ошибка чётности памяти</translation>
    </message>
    <message>
        <source>gateway path unavailable</source>
        <translation>путь шлюза недоступен</translation>
    </message>
    <message>
        <source>gateway target device failed to respond</source>
        <translation>устройство за шлюзом не ответило</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>Slave ID</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Function</source>
        <translation>Функция</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Регистр</translation>
    </message>
    <message>
        <source>Count</source>
        <translation>Количество</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>Duration, ms</source>
        <translation>Длительность, мс</translation>
    </message>
    <message>
        <source>Success</source>
        <translation>Успешно</translation>
    </message>
    <message>
        <source>Timeout</source>
        <translation>Тайм-аут</translation>
    </message>
    <message>
        <source>Invalid CRC</source>
        <translation>Неверная CRC</translation>
    </message>
    <message>
        <source>Exception %1: %2</source>
        <translation>Исключение %1: %2</translation>
    </message>
    <message>
        <source>Exception %1</source>
        <translation>Исключение %1</translation>
    </message>
    <message>
        <source>Answer from another slave</source>
        <translation>Ответ другого устройства</translation>
    </message>
    <message>
        <source>Malformed answer</source>
        <translation>Искажённый ответ</translation>
    </message>
    <message>
        <source>Error: %1</source>
        <translation>Ошибка: %1</translation>
    </message>
    <message>
        <source>Canceled</source>
        <translation>Отменено</translation>
    </message>
    <message>
        <source>1 Read coils</source>
        <translation>1 Чтение катушек</translation>
    </message>
    <message>
        <source>2 Read discrete inputs</source>
        <translation>2 Чтение дискретных входов</translation>
    </message>
    <message>
        <source>3 Read holding registers</source>
        <translation>3 Чтение регистров хранения</translation>
    </message>
    <message>
        <source>4 Read input registers</source>
        <translation>4 Чтение входных регистров</translation>
    </message>
    <message>
        <source>5 Write single coil</source>
        <translation>5 Запись катушки</translation>
    </message>
    <message>
        <source>6 Write single register</source>
        <translation>6 Запись регистра</translation>
    </message>
    <message>
        <source>15 Write multiple coils</source>
        <translation>15 Запись катушек</translation>
    </message>
    <message>
        <source>16 Write multiple registers</source>
        <translation>16 Запись регистров</translation>
    </message>
</context>
</TS>
