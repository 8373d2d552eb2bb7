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
        <translation>Kt:</translation>
    </message>
    <message>
        <source>Kt&lt;sub&gt;0&lt;/sub&gt;:</source>
        <translation>Kt&lt;sub&gt;0&lt;/sub&gt;:</translation>
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
    <message>
        <source>At range %1 every pick-up current in amperes changes by a factor of %2.</source>
        <translation>В диапазоне %1 каждый ток срабатывания в амперах изменится в %2 раза.</translation>
    </message>
    <message>
        <source>At range %1 the MTZ pick-up becomes %2 A (now %3 A) and the TO pick-up %4 A (now %5 A).</source>
        <translation>В диапазоне %1 ток срабатывания МТЗ станет %2 A (сейчас %3 A), ТО — %4 A (сейчас %5 A).</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Конфигурация</translation>
    </message>
</context>
<context>
    <name>Confirmation</name>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
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
    <message>
        <source>Connect through:</source>
        <translation>Подключение через:</translation>
    </message>
    <message>
        <source>Gateway or device server</source>
        <translation>Шлюз или сервер последовательных портов</translation>
    </message>
    <message>
        <source>Host:</source>
        <translation>Адрес:</translation>
    </message>
    <message>
        <source>TCP port:</source>
        <translation>TCP-порт:</translation>
    </message>
    <message>
        <source>Protocol:</source>
        <translation>Протокол:</translation>
    </message>
    <message>
        <source>%1, serial number %2</source>
        <translation>%1, серийный номер %2</translation>
    </message>
    <message>
        <source>Serial port</source>
        <translation>Последовательный порт</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Сеть</translation>
    </message>
    <message>
        <source>Modbus TCP</source>
        <translation>Modbus TCP</translation>
    </message>
    <message>
        <source>RTU over TCP</source>
        <translation>RTU поверх TCP</translation>
    </message>
    <message>
        <source>Modbus TCP for a Modbus gateway; RTU over TCP for a serial device server that passes the line&apos;s bytes through unchanged</source>
        <translation>Modbus TCP — для шлюза Modbus; RTU поверх TCP — для сервера последовательных портов, передающего байты линии без изменений</translation>
    </message>
    <message>
        <source>Timing</source>
        <translation>Временные параметры</translation>
    </message>
    <message>
        <source>Response timeout, ms:</source>
        <translation>Тайм-аут ответа, мс:</translation>
    </message>
    <message>
        <source>Pause between requests, ms:</source>
        <translation>Пауза между запросами, мс:</translation>
    </message>
    <message>
        <source>Thorough scan: wait the whole response timeout for every ID</source>
        <translation>Полный поиск: ждать весь тайм-аут ответа для каждого адреса</translation>
    </message>
    <message>
        <source>Use the proposed timeout</source>
        <translation>Принять предложенный тайм-аут</translation>
    </message>
    <message>
        <source>Use %1 ms</source>
        <translation>Принять %1 мс</translation>
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
        <translation> kA</translation>
    </message>
    <message>
        <source> A</source>
        <comment>ampere suffix</comment>
        <translation> A</translation>
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
        <translation> A</translation>
    </message>
    <message>
        <source> kA</source>
        <translation> kA</translation>
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
</context>
<context>
    <name>DeviceMonitor</name>
    <message>
        <source>You are not allowed to use this port. Ask your administrator to add your user to the &quot;dialout&quot; group, then log out and log in again.</source>
        <translation>Нет прав на работу с этим портом. Попросите администратора добавить вашего пользователя в группу &quot;dialout&quot;, затем выйдите из системы и войдите снова.</translation>
    </message>
    <message>
        <source>The adapter on %1 was removed</source>
        <translation>Адаптер %1 отключён</translation>
    </message>
    <message>
        <source>The port was closed.</source>
        <translation>Порт закрыт.</translation>
    </message>
    <message>
        <source>A scan started.</source>
        <translation>Начат поиск устройств.</translation>
    </message>
    <message>
        <source>Not connected.</source>
        <translation>Нет подключения.</translation>
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
    <message>
        <source>Auto adjust for DST (not read yet)</source>
        <translation>Автопереход на летнее время (ещё не прочитан)</translation>
    </message>
    <message>
        <source>Every device on the line, listed or not, will be set to %1 with auto adjust for DST enabled.</source>
        <translation>Во всех устройствах на линии, в списке и вне его, будет установлено время %1 с включённым автопереходом на летнее время.</translation>
    </message>
    <message>
        <source>Every device on the line, listed or not, will be set to %1 with auto adjust for DST disabled.</source>
        <translation>Во всех устройствах на линии, в списке и вне его, будет установлено время %1 с выключенным автопереходом на летнее время.</translation>
    </message>
    <message>
        <source>The computer&apos;s clock is sent as it is when you confirm.</source>
        <translation>Будет отправлено время компьютера на момент подтверждения.</translation>
    </message>
    <message>
        <source>Devices of another type receive it too: %1.</source>
        <translation>Его получат и устройства другого типа: %1.</translation>
    </message>
    <message>
        <source>Set the time of all devices?</source>
        <translation>Записать время во все устройства?</translation>
    </message>
    <message>
        <source>Set time of all devices</source>
        <translation>Запись времени во все устройства</translation>
    </message>
    <message>
        <source>The relay&apos;s DST flag has not been read yet: choose &quot;Auto adjust for DST&quot; before setting the time.</source>
        <translation>Признак перехода на летнее время ещё не прочитан из реле: выберите «Автопереход на летнее время», прежде чем записывать время.</translation>
    </message>
    <message>
        <source>The new time could not be sent to all devices; they may hold part of it (the DST flag without the new time, say).</source>
        <translation>Новое время не удалось отправить во все устройства; они могут содержать его часть (например, признак летнего времени без нового времени).</translation>
    </message>
    <message>
        <source>The previous time is still being written; press Set again once it is.</source>
        <translation>Предыдущее время ещё записывается; нажмите «Записать» ещё раз, когда запись закончится.</translation>
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
    <name>EditSession</name>
    <message>
        <source>A typed value is not one the relay can hold. The field now shows the value that would be written; check it and press Set again.</source>
        <translation>Введённое значение реле хранить не может. В поле теперь показано значение, которое будет записано; проверьте его и снова нажмите «Записать».</translation>
    </message>
</context>
<context>
    <name>FindRelaysDialog</name>
    <message>
        <source>Find</source>
        <translation>Найти</translation>
    </message>
    <message>
        <source>Find relays on %1</source>
        <translation>Поиск реле на %1</translation>
    </message>
    <message>
        <source>First ID</source>
        <translation>Первый ID</translation>
    </message>
    <message>
        <source>Last ID</source>
        <translation>Последний ID</translation>
    </message>
    <message>
        <source>Couldn`t open port &quot;%1&quot;
%2</source>
        <translation>Не удалось открыть порт &quot;%1&quot;
%2</translation>
    </message>
    <message>
        <source>Searching…</source>
        <translation>Поиск…</translation>
    </message>
    <message>
        <source>Connect at these line settings</source>
        <translation>Подключаться с этими параметрами линии</translation>
    </message>
    <message>
        <source>Search canceled</source>
        <translation>Поиск отменён</translation>
    </message>
    <message>
        <source>No relay answered at any of the usual line settings</source>
        <translation>Ни одно реле не ответило ни при одних из обычных параметров линии</translation>
    </message>
    <message>
        <source>Relays found: %1. Choose the line settings to connect at.</source>
        <translation>Найдено реле: %1. Выберите параметры линии для подключения.</translation>
    </message>
    <message>
        <source>%1 baud, even parity</source>
        <translation>%1 бод, чётность</translation>
    </message>
    <message>
        <source>%1 baud, odd parity</source>
        <translation>%1 бод, нечётность</translation>
    </message>
    <message>
        <source>%1 baud, no parity</source>
        <translation>%1 бод, без контроля чётности</translation>
    </message>
    <message>
        <source>Device %1: %2</source>
        <translation>Устройство %1: %2</translation>
    </message>
</context>
<context>
    <name>JournalCsv</name>
    <message>
        <source>When</source>
        <translation>Когда</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Пользователь</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Device type</source>
        <translation>Тип устройства</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Заводской номер</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>Fingerprint before</source>
        <translation>Отпечаток до</translation>
    </message>
    <message>
        <source>Fingerprint after</source>
        <translation>Отпечаток после</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Параметр</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Регистр</translation>
    </message>
    <message>
        <source>Old value</source>
        <translation>Прежнее значение</translation>
    </message>
    <message>
        <source>Old raw</source>
        <translation>Прежний код</translation>
    </message>
    <message>
        <source>New value</source>
        <translation>Новое значение</translation>
    </message>
    <message>
        <source>New raw</source>
        <translation>Новый код</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Подробности</translation>
    </message>
    <message>
        <source>Laptop</source>
        <translation>Ноутбук</translation>
    </message>
</context>
<context>
    <name>JournalDialog</name>
    <message>
        <source>From</source>
        <translation>С</translation>
    </message>
    <message>
        <source>To</source>
        <translation>По</translation>
    </message>
    <message>
        <source>Export CSV…</source>
        <translation>Экспорт в CSV…</translation>
    </message>
    <message>
        <source>Journal</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <source>every relay</source>
        <translation>все реле</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Заводской номер:</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Параметр</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Регистр</translation>
    </message>
    <message>
        <source>Old value</source>
        <translation>Прежнее значение</translation>
    </message>
    <message>
        <source>New value</source>
        <translation>Новое значение</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Подробности</translation>
    </message>
    <message>
        <source>%1 (raw %2)</source>
        <translation>%1 (код %2)</translation>
    </message>
    <message>
        <source>Export the journal</source>
        <translation>Экспорт журнала</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>The journal could not be exported to %1: %2</source>
        <translation>Не удалось экспортировать журнал в %1: %2</translation>
    </message>
</context>
<context>
    <name>JournalEntry</name>
    <message>
        <source>verified</source>
        <translation>проверено</translation>
    </message>
    <message>
        <source>changed by the relay</source>
        <translation>изменено реле</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>отклонено</translation>
    </message>
    <message>
        <source>not sent</source>
        <translation>не отправлено</translation>
    </message>
    <message>
        <source>acknowledged</source>
        <translation>подтверждено</translation>
    </message>
    <message>
        <source>sent, not confirmed</source>
        <translation>отправлено, без подтверждения</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестно</translation>
    </message>
    <message>
        <source>Set of the measurement configuration</source>
        <translation>Запись конфигурации измерений</translation>
    </message>
    <message>
        <source>Set of the protection configuration</source>
        <translation>Запись конфигурации защит</translation>
    </message>
    <message>
        <source>Set of the setpoints</source>
        <translation>Запись уставок</translation>
    </message>
    <message>
        <source>Settings send</source>
        <translation>Запись настроек из файла</translation>
    </message>
    <message>
        <source>Clock Set</source>
        <translation>Запись времени</translation>
    </message>
    <message>
        <source>Clock Set to All</source>
        <translation>Запись времени во все устройства</translation>
    </message>
    <message>
        <source>Checkback</source>
        <translation>Квитирование</translation>
    </message>
    <message>
        <source>Clearing of the crash log</source>
        <translation>Очистка памяти аварий</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>Set of the configuration</source>
        <translation>Запись конфигурации</translation>
    </message>
</context>
<context>
    <name>JournalModel</name>
    <message>
        <source>all</source>
        <translation>все</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Когда</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Пользователь</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Заводской номер</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>Registers</source>
        <translation>Регистров</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>Fingerprint before</source>
        <translation>Отпечаток до</translation>
    </message>
    <message>
        <source>Fingerprint after</source>
        <translation>Отпечаток после</translation>
    </message>
    <message>
        <source>copied</source>
        <translation>скопирована</translation>
    </message>
    <message>
        <source>not copied yet</source>
        <translation>ещё не скопирована</translation>
    </message>
    <message>
        <source>Team journal</source>
        <translation>Общий журнал</translation>
    </message>
    <message>
        <source>The team&apos;s entries are being read; this computer&apos;s are shown meanwhile.</source>
        <translation>Записи команды читаются; пока показаны записи этого компьютера.</translation>
    </message>
    <message>
        <source>The team&apos;s entries could not be read (%1): only this computer&apos;s are shown.</source>
        <translation>Записи команды прочитать не удалось (%1): показаны только записи этого компьютера.</translation>
    </message>
    <message>
        <source>The team&apos;s entries as read at %1 are shown among this computer&apos;s.</source>
        <translation>Записи команды, прочитанные в %1, показаны вместе с записями этого компьютера.</translation>
    </message>
    <message>
        <source>Of the team&apos;s entries, only the newest %1 are read: narrow the filter for older ones.</source>
        <translation>Из записей команды прочитаны только %1 самых новых: чтобы увидеть более старые, сузьте фильтр.</translation>
    </message>
    <message>
        <source>from the team journal</source>
        <translation>из общего журнала</translation>
    </message>
    <message>
        <source>Laptop</source>
        <translation>Ноутбук</translation>
    </message>
</context>
<context>
    <name>JournalStore</name>
    <message>
        <source>The journal %1 could not be read, and it could not be renamed aside.</source>
        <translation>Не удалось прочитать журнал %1, и его не удалось переименовать.</translation>
    </message>
    <message>
        <source>The journal %1 was written by a newer version of the program, and it could not be renamed aside.</source>
        <translation>Журнал %1 записан более новой версией программы, и его не удалось переименовать.</translation>
    </message>
    <message>
        <source>The journal %1 could not be read. It was kept as %2 and a new journal was started.</source>
        <translation>Не удалось прочитать журнал %1. Он сохранён как %2, начат новый журнал.</translation>
    </message>
    <message>
        <source>The journal %1 was written by a newer version of the program. It was kept as %2 and a new journal was started.</source>
        <translation>Журнал %1 записан более новой версией программы. Он сохранён как %2, начат новый журнал.</translation>
    </message>
    <message>
        <source>The journal is not open.</source>
        <translation>Журнал не открыт.</translation>
    </message>
</context>
<context>
    <name>LineArguments</name>
    <message>
        <source>No command given.</source>
        <translation>Команда не указана.</translation>
    </message>
    <message>
        <source>Unknown command &quot;%1&quot;.</source>
        <translation>Неизвестная команда «%1».</translation>
    </message>
    <message>
        <source>&quot;%1&quot; takes %2 argument(s).</source>
        <translation>Число аргументов команды «%1»: %2.</translation>
    </message>
    <message>
        <source>--overwrite is for backup only.</source>
        <translation>--overwrite применяется только с backup.</translation>
    </message>
    <message>
        <source>--ids takes FIRST-LAST within 1-63, such as 1-10.</source>
        <translation>--ids принимает ПЕРВЫЙ-ПОСЛЕДНИЙ в пределах 1-63, например 1-10.</translation>
    </message>
    <message>
        <source>Give either --port or --host, not both.</source>
        <translation>Укажите либо --port, либо --host, но не оба.</translation>
    </message>
    <message>
        <source>--baud takes a baud rate such as 19200.</source>
        <translation>--baud принимает скорость, например 19200.</translation>
    </message>
    <message>
        <source>--parity takes none, even or odd.</source>
        <translation>--parity принимает none, even или odd.</translation>
    </message>
    <message>
        <source>--tcp-port takes a port from 1 to 65535.</source>
        <translation>--tcp-port принимает порт от 1 до 65535.</translation>
    </message>
    <message>
        <source>--protocol takes tcp or rtu-over-tcp.</source>
        <translation>--protocol принимает tcp или rtu-over-tcp.</translation>
    </message>
    <message>
        <source>No gateway address: give --host.</source>
        <translation>Нет адреса шлюза: укажите --host.</translation>
    </message>
    <message>
        <source>Usage: korvel-line [CONNECTION] COMMAND [ARGS]

CONNECTION (what is left out comes from settings.ini in the working folder):
  --port PATH [--baud N] [--parity none|even|odd]
  --host HOST [--tcp-port N] [--protocol tcp|rtu-over-tcp]

Commands:
  scan                      list the relays that answer
  backup DIR [--overwrite]  save every relay&apos;s settings into the line folder DIR
  compare DIR               compare every relay with its file in DIR
  send DIR [--only ID,ID,...] [--yes]
                            send each relay that differs (or those given) its file
                            in DIR; without --yes print the plans, write nothing
  report DIR FILE.pdf       write the line&apos;s commissioning report
  journal-export FILE.csv   export the journal of writes

Options:
  --ids FIRST-LAST          the slave IDs to scan (1-63)
  --json                    print the result for a program to read

Exit status: 0 done (compare: every relay at its file; send --yes: every value verified; send: nothing to write), 1 compare found a relay that is not (send --yes: a value was refused, changed by the relay or not sent; send: something to write), 2 error.
</source>
        <translation>Использование: korvel-line [ПОДКЛЮЧЕНИЕ] КОМАНДА [АРГУМЕНТЫ]

ПОДКЛЮЧЕНИЕ (недостающее берётся из settings.ini в рабочей папке):
  --port ПУТЬ [--baud N] [--parity none|even|odd]
  --host УЗЕЛ [--tcp-port N] [--protocol tcp|rtu-over-tcp]

Команды:
  scan                      перечислить отвечающие реле
  backup ПАПКА [--overwrite] сохранить уставки каждого реле в папку линии
  compare ПАПКА             сравнить каждое реле с его файлом в папке
  send ПАПКА [--only АДРЕС,АДРЕС,...] [--yes]
                            отправить каждому отличающемуся реле (или указанным)
                            его файл из папки; без --yes вывести планы, ничего не записывая
  report ПАПКА ФАЙЛ.pdf     записать протокол наладки линии
  journal-export ФАЙЛ.csv   выгрузить журнал записей

Параметры:
  --ids ПЕРВЫЙ-ПОСЛЕДНИЙ    опрашиваемые адреса (1-63)
  --json                    вывести результат для программы

Код завершения: 0 выполнено (compare: все реле соответствуют файлам; send --yes: все значения подтверждены; send: записывать нечего), 1 compare нашла несоответствующее реле (send --yes: значение отклонено, изменено реле или не отправлено; send: есть что записать), 2 ошибка.
</translation>
    </message>
    <message>
        <source>--yes and --only are for send only.</source>
        <translation>--yes и --only применяются только с send.</translation>
    </message>
    <message>
        <source>--only takes slave IDs separated by commas, such as 2,5,17.</source>
        <translation>--only принимает адреса через запятую, например 2,5,17.</translation>
    </message>
</context>
<context>
    <name>LineBackup</name>
    <message>
        <source>Could not write &quot;%1&quot;: %2</source>
        <translation>Не удалось записать «%1»: %2</translation>
    </message>
</context>
<context>
    <name>LineCommand</name>
    <message>
        <source>Could not open %1: %2</source>
        <translation>Не удалось открыть %1: %2</translation>
    </message>
    <message>
        <source>Nothing was written: these files are there already (give --overwrite to replace them): %1</source>
        <translation>Ничего не записано: эти файлы уже есть (чтобы заменить их, укажите --overwrite): %1</translation>
    </message>
    <message>
        <source>Written: %1</source>
        <translation>Записан: %1</translation>
    </message>
    <message>
        <source>Not saved, for they could not be read: Device %1</source>
        <translation>Не сохранены, так как не прочитаны: устройство %1</translation>
    </message>
    <message>
        <source>Device %1: %2 (%3): relay %4, file %5</source>
        <translation>Устройство %1: %2 (%3): реле %4, файл %5</translation>
    </message>
    <message>
        <source>The report could not be written to &quot;%1&quot;.</source>
        <translation>Не удалось записать протокол в «%1».</translation>
    </message>
    <message>
        <source>Report written to &quot;%1&quot;</source>
        <translation>Протокол записан в «%1»</translation>
    </message>
    <message>
        <source>There is no journal of writes in this folder (%1).</source>
        <translation>В этой папке нет журнала записей (%1).</translation>
    </message>
    <message>
        <source>The journal could not be exported to &quot;%1&quot;: %2</source>
        <translation>Не удалось выгрузить журнал в «%1»: %2</translation>
    </message>
    <message>
        <source>%1 journal entries exported to &quot;%2&quot;</source>
        <translation>Записей журнала выгружено: %1, в «%2»</translation>
    </message>
    <message>
        <source>Nothing was sent: the journal of writes cannot be written (%1).</source>
        <translation>Ничего не отправлено: журнал записей недоступен для записи (%1).</translation>
    </message>
    <message>
        <source>Device %1 (%2)</source>
        <translation>Устройство %1 (%2)</translation>
    </message>
    <message>
        <source>Device %1 (not on the line)</source>
        <translation>Устройство %1 (нет на линии)</translation>
    </message>
    <message>
        <source>Nothing was sent: these relays cannot be sent their file: %1</source>
        <translation>Ничего не отправлено: этим реле нельзя отправить их файлы: %1</translation>
    </message>
    <message>
        <source>Device %1: %2 values</source>
        <translation>Устройство %1: значений: %2</translation>
    </message>
    <message>
        <source>Every relay is at its file; nothing would be written.</source>
        <translation>Все реле соответствуют своим файлам; записывать нечего.</translation>
    </message>
    <message>
        <source>The team journal was not reached (%1); the entries stay in this computer&apos;s journal and are copied later.</source>
        <translation>Общий журнал недоступен (%1); записи остаются в журнале этого компьютера и будут скопированы позже.</translation>
    </message>
</context>
<context>
    <name>LineDockWidget</name>
    <message>
        <source>Line</source>
        <translation>Линия</translation>
    </message>
    <message>
        <source>New line folder…</source>
        <translation>Новая папка линии…</translation>
    </message>
    <message>
        <source>Open line folder…</source>
        <translation>Открыть папку линии…</translation>
    </message>
    <message>
        <source>No line folder open</source>
        <translation>Папка линии не открыта</translation>
    </message>
    <message>
        <source>Read the line</source>
        <translation>Прочитать линию</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Остановить</translation>
    </message>
    <message>
        <source>Back up the line</source>
        <translation>Сохранить линию</translation>
    </message>
    <message>
        <source>Line report…</source>
        <translation>Протокол линии…</translation>
    </message>
    <message>
        <source>New line folder</source>
        <translation>Новая папка линии</translation>
    </message>
    <message>
        <source>Open line folder</source>
        <translation>Открыть папку линии</translation>
    </message>
    <message>
        <source>Line folder</source>
        <translation>Папка линии</translation>
    </message>
    <message>
        <source>Line folder: %1 (%2 relays expected)</source>
        <translation>Папка линии: %1 (ожидается реле: %2)</translation>
    </message>
    <message>
        <source>Enter the range of IDs to read, such as 1-10.</source>
        <translation>Введите диапазон адресов для чтения, например 1-10.</translation>
    </message>
    <message>
        <source>The line&apos;s read was stopped.</source>
        <translation>Чтение линии остановлено.</translation>
    </message>
    <message>
        <source>Every relay of ours is at its file.</source>
        <translation>Все наши реле соответствуют своим файлам.</translation>
    </message>
    <message>
        <source>Relays not at their file: %1.</source>
        <translation>Реле, не соответствующих своим файлам: %1.</translation>
    </message>
    <message>
        <source>These files are in the folder already:
%1

Overwrite them?</source>
        <translation>Эти файлы уже есть в папке:
%1

Перезаписать их?</translation>
    </message>
    <message>
        <source>Files written: %1.</source>
        <translation>Записано файлов: %1.</translation>
    </message>
    <message>
        <source>Files written: %1. Not read, not saved: Device %2.</source>
        <translation>Записано файлов: %1. Не прочитаны и не сохранены: устройство %2.</translation>
    </message>
    <message>
        <source>Line report</source>
        <translation>Протокол линии</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>Файлы PDF (*.pdf)</translation>
    </message>
    <message>
        <source>The report could not be written to &quot;%1&quot;.</source>
        <translation>Не удалось записать протокол в «%1».</translation>
    </message>
    <message>
        <source>Line report written to &quot;%1&quot;</source>
        <translation>Протокол линии записан в «%1»</translation>
    </message>
    <message>
        <source>Send to the line…</source>
        <translation>Отправить на линию…</translation>
    </message>
    <message>
        <source>Device %1: %2 values</source>
        <translation>Устройство %1: значений: %2</translation>
    </message>
    <message>
        <source>; switches off %1</source>
        <translation>; отключает %1</translation>
    </message>
    <message>
        <source>Device %1 (%2)</source>
        <translation>Устройство %1 (%2)</translation>
    </message>
    <message>
        <source>Every relay is at its file; there is nothing to send.</source>
        <translation>Все реле соответствуют своим файлам; отправлять нечего.</translation>
    </message>
    <message>
        <source>Nothing to send: %1.</source>
        <translation>Отправлять нечего: %1.</translation>
    </message>
    <message>
        <source>Send each relay below its file? Each is read afresh first, written in a safe order and read back.

%1</source>
        <translation>Отправить каждому реле ниже его файл? Каждое сначала будет считано заново, записано в безопасном порядке и считано обратно.

%1</translation>
    </message>
    <message>
        <source>

Not sent, for they cannot be sent their file: %1</source>
        <translation>

Не отправляются, так как им нельзя отправить их файлы: %1</translation>
    </message>
    <message>
        <source>Send to the line</source>
        <translation>Отправка на линию</translation>
    </message>
    <message>
        <source>Sent to the line: %1 of %2 relays verified.</source>
        <translation>Отправлено на линию: подтверждено реле: %1 из %2.</translation>
    </message>
</context>
<context>
    <name>LineFolder</name>
    <message>
        <source>The manifest is not valid JSON: %1 at character %2.</source>
        <translation>Манифест — не корректный JSON: %1, символ %2.</translation>
    </message>
    <message>
        <source>The file is not a line folder&apos;s manifest.</source>
        <translation>Файл не является манифестом папки линии.</translation>
    </message>
    <message>
        <source>The manifest has format version %1, newer than this program reads (%2).</source>
        <translation>Версия формата манифеста %1 новее той, что читает программа (%2).</translation>
    </message>
    <message>
        <source>The manifest has no list of relays.</source>
        <translation>В манифесте нет списка реле.</translation>
    </message>
    <message>
        <source>Relay %1 of the list has no slave ID from 1 to %2.</source>
        <translation>У реле %1 списка нет адреса от 1 до %2.</translation>
    </message>
    <message>
        <source>Slave ID %1 is listed more than once.</source>
        <translation>Адрес %1 указан в списке больше одного раза.</translation>
    </message>
    <message>
        <source>Relay %1 of the list names no file in the folder itself.</source>
        <translation>Для реле %1 списка не указан файл в самой папке.</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; is named for more than one relay.</source>
        <translation>Файл «%1» указан для нескольких реле.</translation>
    </message>
    <message>
        <source>Relay %1 of the list has a serial number that is no 32-bit number.</source>
        <translation>Заводской номер реле %1 списка не является 32-битным числом.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds no line folder&apos;s manifest: %2</source>
        <translation>В «%1» нет манифеста папки линии: %2</translation>
    </message>
    <message>
        <source>The manifest is larger than 256 KB.</source>
        <translation>Манифест больше 256 КБ.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a line folder already.</source>
        <translation>«%1» уже является папкой линии.</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; could not be made.</source>
        <translation>Не удалось создать папку «%1».</translation>
    </message>
    <message>
        <source>The manifest could not be written to &quot;%1&quot;: %2</source>
        <translation>Не удалось записать манифест в «%1»: %2</translation>
    </message>
</context>
<context>
    <name>LineReport</name>
    <message>
        <source>Line commissioning report, %1</source>
        <translation>Протокол наладки линии, %1</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Тип</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Заводской номер</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Версия</translation>
    </message>
    <message>
        <source>Modules</source>
        <translation>Модули</translation>
    </message>
    <message>
        <source>Clock offset, s</source>
        <translation>Расхождение часов, с</translation>
    </message>
    <message>
        <source>Crashes</source>
        <translation>Аварии</translation>
    </message>
    <message>
        <source>Answered</source>
        <translation>Ответы</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Relay fingerprint</source>
        <translation>Отпечаток реле</translation>
    </message>
    <message>
        <source>File fingerprint</source>
        <translation>Отпечаток файла</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>ours</source>
        <translation>наше</translation>
    </message>
    <message>
        <source>another (%1)</source>
        <translation>другое (%1)</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 из %2</translation>
    </message>
    <message>
        <source>Program: Korvel-client %1</source>
        <translation>Программа: Korvel-client %1</translation>
    </message>
    <message>
        <source>Made: %1</source>
        <translation>Составлен: %1</translation>
    </message>
    <message>
        <source>Every relay of ours is at its file.</source>
        <translation>Все наши реле соответствуют своим файлам.</translation>
    </message>
    <message>
        <source>Relays not at their file: %1.</source>
        <translation>Реле, не соответствующих своим файлам: %1.</translation>
    </message>
    <message>
        <source>Differences from the file</source>
        <translation>Отличия от файла</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Параметр</translation>
    </message>
    <message>
        <source>Relay</source>
        <translation>Реле</translation>
    </message>
    <message>
        <source>Device %1</source>
        <translation>Устройство %1</translation>
    </message>
</context>
<context>
    <name>LineRow</name>
    <message>
        <source>identical</source>
        <translation>совпадает</translation>
    </message>
    <message>
        <source>values differ: %1</source>
        <translation>отличаются значения: %1</translation>
    </message>
    <message>
        <source>no file</source>
        <translation>нет файла</translation>
    </message>
    <message>
        <source>no file: %1</source>
        <translation>нет файла: %1</translation>
    </message>
    <message>
        <source>the file is for another relay: %1</source>
        <translation>файл для другого реле: %1</translation>
    </message>
    <message>
        <source>not read</source>
        <translation>не прочитано</translation>
    </message>
    <message>
        <source>not answering</source>
        <translation>не отвечает</translation>
    </message>
    <message>
        <source>another device type</source>
        <translation>другой тип устройства</translation>
    </message>
    <message>
        <source>the folder expects serial number %1, the relay has %2</source>
        <translation>папка ожидает заводской номер %1, у реле %2</translation>
    </message>
    <message>
        <source>the file is of serial number %1, the relay has %2</source>
        <translation>файл для заводского номера %1, у реле %2</translation>
    </message>
    <message>
        <source>the file is for other modules</source>
        <translation>файл для других модулей</translation>
    </message>
</context>
<context>
    <name>LineSend</name>
    <message>
        <source>Device %1: not sent</source>
        <translation>Устройство %1: не отправлено</translation>
    </message>
    <message>
        <source>Device %1 holds its file already; nothing was written.</source>
        <translation>Устройство %1 уже хранит значения своего файла; ничего не записано.</translation>
    </message>
</context>
<context>
    <name>LineTableModel</name>
    <message>
        <source>Last send</source>
        <translation>Последняя отправка</translation>
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
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>Save settings…</source>
        <translation>Сохранить настройки…</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Open settings…</source>
        <translation>Открыть настройки…</translation>
    </message>
    <message>
        <source>Ctrl+O</source>
        <translation>Ctrl+O</translation>
    </message>
    <message>
        <source>Compare with file…</source>
        <translation>Сравнить с файлом…</translation>
    </message>
    <message>
        <source>Print report…</source>
        <translation>Печать протокола…</translation>
    </message>
    <message>
        <source>Ctrl+P</source>
        <translation>Ctrl+P</translation>
    </message>
    <message>
        <source>Export report as PDF…</source>
        <translation>Экспорт протокола в PDF…</translation>
    </message>
    <message>
        <source>Find relays…</source>
        <translation>Найти реле…</translation>
    </message>
    <message>
        <source>Couldn`t connect to the relays
%1</source>
        <translation>Не удалось подключиться к реле
%1</translation>
    </message>
    <message>
        <source>New settings…</source>
        <translation>Новые настройки…</translation>
    </message>
    <message>
        <source>The journal cannot be written: %1</source>
        <translation>Журнал недоступен для записи: %1</translation>
    </message>
    <message>
        <source>Journal</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <source>Journal…</source>
        <translation>Журнал…</translation>
    </message>
    <message>
        <source>The journal cannot record this write: %1

Write to the relay without a journal for the rest of this session?</source>
        <translation>Журнал не может сохранить эту запись: %1

Записывать в реле без журнала до конца сеанса?</translation>
    </message>
    <message>
        <source>Write without a journal</source>
        <translation>Записывать без журнала</translation>
    </message>
    <message>
        <source>Writing without a journal for the rest of this session</source>
        <translation>До конца сеанса запись идёт без журнала</translation>
    </message>
    <message>
        <source>Journal in the report since…</source>
        <translation>Журнал в протоколе начиная с…</translation>
    </message>
    <message>
        <source>Connecting to %1…</source>
        <translation>Подключение к %1…</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>Another Set is still running; press Set again once it has ended.</source>
        <translation>Другая запись ещё выполняется; нажмите «Записать» ещё раз, когда она закончится.</translation>
    </message>
    <message>
        <source>Team journal…</source>
        <translation>Общий журнал…</translation>
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
        <translation>3U0</translation>
    </message>
    <message>
        <source>%1 min</source>
        <translation>%1 мин</translation>
    </message>
    <message>
        <source>Voltage, V</source>
        <translation>Напряжение, V</translation>
    </message>
    <message>
        <source>Trend over:</source>
        <translation>Тренд за:</translation>
    </message>
    <message>
        <source>Current, kA</source>
        <translation>Ток, kA</translation>
    </message>
    <message>
        <source>Current, A</source>
        <translation>Ток, A</translation>
    </message>
</context>
<context>
    <name>ModbusBackend</name>
    <message>
        <source>The host %1 is unknown</source>
        <translation>Узел %1 неизвестен</translation>
    </message>
    <message>
        <source>Connection refused by %1</source>
        <translation>%1 отклонил подключение</translation>
    </message>
    <message>
        <source>%1 did not accept the connection in time</source>
        <translation>%1 не принял подключение вовремя</translation>
    </message>
    <message>
        <source>%1 cannot be reached from this computer</source>
        <translation>%1 недоступен с этого компьютера</translation>
    </message>
    <message>
        <source>Connecting to %1 failed: %2</source>
        <translation>Не удалось подключиться к %1: %2</translation>
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
        <translation> V</translation>
    </message>
    <message>
        <source> °</source>
        <translation> °</translation>
    </message>
</context>
<context>
    <name>NewSettingsDialog</name>
    <message>
        <source>New settings</source>
        <translation>Новые настройки</translation>
    </message>
    <message>
        <source>Modules of the relay:</source>
        <translation>Модули реле:</translation>
    </message>
    <message>
        <source>Current range:</source>
        <translation>Диапазон тока:</translation>
    </message>
</context>
<context>
    <name>PanelSettingsSet</name>
    <message>
        <source>Device %1 already holds these values; nothing was written.</source>
        <translation>Устройство %1 уже содержит эти значения; ничего не записано.</translation>
    </message>
    <message>
        <source>Nothing was written: Device %1 changed since its values were shown (%2). Press Cancel and edit again.</source>
        <translation>Ничего не записано: значения устройства %1 изменились с момента их показа (%2). Нажмите «Отмена» и отредактируйте заново.</translation>
    </message>
    <message>
        <source>, </source>
        <comment>list separator</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>Nothing was written to Device %1.</source>
        <translation>В устройство %1 ничего не записано.</translation>
    </message>
</context>
<context>
    <name>PreparedSettingsDialog</name>
    <message>
        <source>Settings prepared without a relay</source>
        <translation>Настройки, подготовленные без реле</translation>
    </message>
    <message>
        <source>Save…</source>
        <translation>Сохранить…</translation>
    </message>
    <message>
        <source>Save settings</source>
        <translation>Сохранение настроек</translation>
    </message>
    <message>
        <source>Relay settings (*.json);;All files (*)</source>
        <translation>Настройки реле (*.json);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Settings saved to &quot;%1&quot;</source>
        <translation>Настройки сохранены в «%1»</translation>
    </message>
    <message>
        <source>Could not write &quot;%1&quot;: %2</source>
        <translation>Не удалось записать «%1»: %2</translation>
    </message>
    <message>
        <source>These values cannot be saved; nothing was written:</source>
        <translation>Эти значения нельзя сохранить; ничего не записано:</translation>
    </message>
    <message>
        <source>Settings not saved</source>
        <translation>Настройки не сохранены</translation>
    </message>
    <message>
        <source>The settings were changed and not saved. Close without saving?</source>
        <translation>Настройки изменены и не сохранены. Закрыть без сохранения?</translation>
    </message>
    <message>
        <source>Settings fingerprint: %1</source>
        <translation>Контрольная сумма настроек: %1</translation>
    </message>
    <message>
        <source>New settings, not saved yet</source>
        <translation>Новые настройки, ещё не сохранены</translation>
    </message>
    <message>
        <source>File: %1</source>
        <translation>Файл: %1</translation>
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
    <name>RelayFinder</name>
    <message>
        <source>The adapter on %1 was removed</source>
        <translation>Адаптер %1 отключён</translation>
    </message>
</context>
<context>
    <name>RelayHealthText</name>
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
        <source>Device %1, not answering: requests %2, answers %3, timeouts %4, errors %5, last answer %6</source>
        <translation>Устройство %1 не отвечает: запросов %2, ответов %3, тайм-аутов %4, ошибок %5, последний ответ %6</translation>
    </message>
    <message>
        <source>Device %1: requests %2, answers %3, timeouts %4, errors %5, last answer %6</source>
        <translation>Устройство %1: запросов %2, ответов %3, тайм-аутов %4, ошибок %5, последний ответ %6</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>The relay has stopped answering.</source>
        <translation>Реле перестало отвечать.</translation>
    </message>
    <message>
        <source>Device %1, not answering: requests %2, answers %3, timeouts %4, errors %5, last answer %6, turnaround median %7 ms, 99th percentile %8 ms</source>
        <translation>Устройство %1 не отвечает: запросов %2, ответов %3, тайм-аутов %4, ошибок %5, последний ответ %6, время ответа: медиана %7 мс, 99-й процентиль %8 мс</translation>
    </message>
    <message>
        <source>Device %1: requests %2, answers %3, timeouts %4, errors %5, last answer %6, turnaround median %7 ms, 99th percentile %8 ms</source>
        <translation>Устройство %1: запросов %2, ответов %3, тайм-аутов %4, ошибок %5, последний ответ %6, время ответа: медиана %7 мс, 99-й процентиль %8 мс</translation>
    </message>
    <message>
        <source>Turnaround: median %1 ms, 99th percentile %2 ms over %3 answers</source>
        <translation>Время ответа: медиана %1 мс, 99-й процентиль %2 мс по %3 ответам</translation>
    </message>
    <message>
        <source>No relay on this line has answered yet.</source>
        <translation>На этой линии ещё не ответило ни одно реле.</translation>
    </message>
    <message>
        <source>Relays on this line answer in %1 ms (median), %2 ms (99th percentile) over %3 answers.</source>
        <translation>Реле этой линии отвечают за %1 мс (медиана), %2 мс (99-й процентиль) по %3 ответам.</translation>
    </message>
</context>
<context>
    <name>ReportActions</name>
    <message>
        <source>Export report as PDF</source>
        <translation>Экспорт протокола в PDF</translation>
    </message>
    <message>
        <source>PDF files (*.pdf)</source>
        <translation>Файлы PDF (*.pdf)</translation>
    </message>
    <message>
        <source>Print report</source>
        <translation>Печать протокола</translation>
    </message>
    <message>
        <source>Reading the settings of Device %1…</source>
        <translation>Чтение настроек устройства %1…</translation>
    </message>
    <message>
        <source>The report could not be printed on &quot;%1&quot;.</source>
        <translation>Не удалось напечатать протокол на принтере &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>The report could not be written to &quot;%1&quot;. Check that the folder exists and that you may write to it.</source>
        <translation>Не удалось записать протокол в файл &quot;%1&quot;. Проверьте, что папка существует и у вас есть право записи в неё.</translation>
    </message>
    <message>
        <source>Report of Device %1 written to &quot;%2&quot;</source>
        <translation>Протокол устройства %1 записан в «%2»</translation>
    </message>
    <message>
        <source>No report was made.</source>
        <translation>Протокол не составлен.</translation>
    </message>
    <message>
        <source>Journal in the report</source>
        <translation>Журнал в протоколе</translation>
    </message>
    <message>
        <source>List the relay&apos;s journal entries since:</source>
        <translation>Включить записи журнала реле начиная с:</translation>
    </message>
</context>
<context>
    <name>ReportPages</name>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 из %2</translation>
    </message>
</context>
<context>
    <name>RequestOutcome</name>
    <message>
        <source>No answer</source>
        <translation>Нет ответа</translation>
    </message>
    <message>
        <source>The write failed</source>
        <translation>Запись не удалась</translation>
    </message>
</context>
<context>
    <name>RtuOverTcp</name>
    <message>
        <source>byte count %1 does not fit a read of %2 registers</source>
        <translation>число байтов %1 не соответствует чтению регистров: %2</translation>
    </message>
    <message>
        <source>byte count %1 does not fit a read of %2 coils</source>
        <translation>число байтов %1 не соответствует чтению дискретных выходов: %2</translation>
    </message>
    <message>
        <source>byte count %1 does not fit a read of %2 inputs</source>
        <translation>число байтов %1 не соответствует чтению дискретных входов: %2</translation>
    </message>
    <message>
        <source>function code %1 does not answer function %2</source>
        <translation>код функции %1 не является ответом на функцию %2</translation>
    </message>
    <message>
        <source>the answer does not repeat the written address and value</source>
        <translation>ответ не повторяет записанные адрес и значение</translation>
    </message>
</context>
<context>
    <name>SendPlan</name>
    <message>
        <source>register %1 = %2</source>
        <translation>регистр %1 = %2</translation>
    </message>
    <message>
        <source>%1, %2: %3</source>
        <comment>group, field: value</comment>
        <translation>%1, %2: %3</translation>
    </message>
    <message>
        <source>%1 (switched off first)</source>
        <translation>%1 (отключается первой)</translation>
    </message>
    <message>
        <source>%1 (switched off while the current range changes)</source>
        <translation>%1 (отключается на время смены диапазона тока)</translation>
    </message>
    <message>
        <source>%1 (switched on last)</source>
        <translation>%1 (включается последней)</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>The current range changes: %1 stay off for %2 writes, about %3 s at %4 baud. Meanwhile the relay protects with: %5.</source>
        <translation>Меняется диапазон тока: %1 остаются отключены на %2 записей, около %3 с при %4 бод. Тем временем реле защищает: %5.</translation>
    </message>
    <message>
        <source>, </source>
        <comment>list separator</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>nothing</source>
        <translation>ничем</translation>
    </message>
    <message>
        <source>MTZ</source>
        <comment>protection</comment>
        <translation>МТЗ</translation>
    </message>
    <message>
        <source>TO</source>
        <comment>protection</comment>
        <translation>ТО</translation>
    </message>
    <message>
        <source>ZNZ</source>
        <comment>protection</comment>
        <translation>ЗНЗ</translation>
    </message>
    <message>
        <source>APV</source>
        <comment>protection</comment>
        <translation>АПВ</translation>
    </message>
    <message>
        <source>%1 is off, as the new settings have it.</source>
        <translation>%1 отключена, как того требуют новые уставки.</translation>
    </message>
    <message>
        <source>%1 is switched off and was not switched back on.</source>
        <translation>%1 отключена и не включена обратно.</translation>
    </message>
    <message>
        <source>%1 %2 (new)</source>
        <comment>field, value</comment>
        <translation>%1 %2 (новое)</translation>
    </message>
    <message>
        <source>%1 %2 (old; %3 was not written)</source>
        <comment>field, value, new value</comment>
        <translation>%1 %2 (старое; %3 не записано)</translation>
    </message>
    <message>
        <source>%1 stays in service with a mix of old and new settings: %2.</source>
        <translation>%1 остаётся в работе со смесью старых и новых уставок: %2.</translation>
    </message>
    <message>
        <source>%1 (less sensitive: written first)</source>
        <translation>%1 (снижает чувствительность: записывается первым)</translation>
    </message>
    <message>
        <source>%1 (more sensitive: written last)</source>
        <translation>%1 (повышает чувствительность: записывается последним)</translation>
    </message>
    <message>
        <source>%1 (switched off while its time-current curve changes)</source>
        <translation>%1 (отключается на время смены времятоковой характеристики)</translation>
    </message>
    <message>
        <source>The time-current curve of MTZ changes: MTZ stays off for %1 writes, about %2 s at %3 baud. Meanwhile the relay protects with: %4.</source>
        <translation>Меняется времятоковая характеристика МТЗ: МТЗ остаётся отключена на %1 записей, около %2 с при %3 бод. Тем временем реле защищает: %4.</translation>
    </message>
    <message>
        <source>%1 stays in service with intermediate settings from write %2 to write %3, about %4 s at %5 baud, never more sensitive than both its old and its new settings.</source>
        <translation>%1 остаётся в работе с промежуточными уставками с записи %2 по запись %3, около %4 с при %5 бод, и ни в один момент не чувствительнее, чем со старыми и с новыми уставками.</translation>
    </message>
</context>
<context>
    <name>SendSummary</name>
    <message>
        <source>Settings written and verified (Device %1)</source>
        <translation>Уставки записаны и проверены (устройство %1)</translation>
    </message>
    <message>
        <source>%1 of %2 verified, %3 changed by the relay, %4 refused, %5 not sent, %6 unknown</source>
        <translation>проверено %1 из %2, изменено реле %3, отклонено %4, не отправлено %5, неизвестно %6</translation>
    </message>
    <message>
        <source>Settings not written (Device %1): %2</source>
        <translation>Уставки не записаны (устройство %1): %2</translation>
    </message>
    <message>
        <source>Settings partly written (Device %1): %2</source>
        <translation>Уставки записаны частично (устройство %1): %2</translation>
    </message>
    <message>
        <source>%1, %2 switched off and not switched back on</source>
        <translation>%1, отключено и не включено обратно: %2</translation>
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
        <translation> A</translation>
    </message>
    <message>
        <source> sec</source>
        <translation> с</translation>
    </message>
    <message>
        <source> V</source>
        <translation> V</translation>
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
    <message>
        <source>Setpoints</source>
        <translation>Уставки</translation>
    </message>
    <message>
        <source>The current range of the relay changed since Edit was pressed, and with it what the pick-up currents mean. Nothing was written: press Cancel and edit the setpoints again.</source>
        <translation>После нажатия «Изменить» диапазон тока реле изменился, а с ним и значение токов срабатывания. Ничего не записано: нажмите «Отмена» и измените уставки заново.</translation>
    </message>
</context>
<context>
    <name>SettingsComparisonDialog</name>
    <message>
        <source>Settings comparison</source>
        <translation>Сравнение настроек</translation>
    </message>
    <message>
        <source>Send differences</source>
        <translation>Записать отличия</translation>
    </message>
    <message>
        <source>Send all</source>
        <translation>Записать все</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>File: %1</source>
        <translation>Файл: %1</translation>
    </message>
    <message>
        <source>Device %1 is no longer the current device; open the file again to compare it with another.</source>
        <translation>Устройство %1 больше не выбрано; откройте файл заново, чтобы сравнить его с другим устройством.</translation>
    </message>
    <message>
        <source>The port was closed; connect and open the file again.</source>
        <translation>Порт закрыт; откройте порт и откройте файл заново.</translation>
    </message>
    <message>
        <source>Reading the settings of Device %1…</source>
        <translation>Чтение настроек устройства %1…</translation>
    </message>
    <message>
        <source>The file was saved from a device of type %1, this relay is of type %2: the file cannot be sent to it.</source>
        <translation>Файл сохранён с устройства типа %1, а это реле типа %2: записать в него файл нельзя.</translation>
    </message>
    <message>
        <source>The file was saved from serial number %1, this relay is serial number %2.</source>
        <translation>Файл сохранён с устройства с серийным номером %1, а серийный номер этого реле %2.</translation>
    </message>
    <message>
        <source>Device %1 holds the settings of the file.</source>
        <translation>Настройки устройства %1 совпадают с файлом.</translation>
    </message>
    <message>
        <source>Values that differ from the file: %1 (Device %2).</source>
        <translation>Значений, отличающихся от файла: %1 (устройство %2).</translation>
    </message>
    <message>
        <source>Send settings</source>
        <translation>Запись настроек</translation>
    </message>
    <message>
        <source>Writing to Device %1 and reading it back…</source>
        <translation>Запись в устройство %1 и контрольное чтение…</translation>
    </message>
    <message>
        <source>Device %1 changed since the comparison; nothing was written. Check the new comparison and send again.</source>
        <translation>Устройство %1 изменилось после сравнения; ничего не записано. Проверьте новое сравнение и отправьте снова.</translation>
    </message>
    <message>
        <source>Reading Device %1 again before writing…</source>
        <translation>Повторное чтение устройства %1 перед записью…</translation>
    </message>
    <message>
        <source>The file was saved from software version %1, this relay runs version %2.</source>
        <translation>Файл сохранён с реле с версией ПО %1, у этого реле версия %2.</translation>
    </message>
    <message>
        <source>The file was saved from a relay with the modules %1, this relay has %2.</source>
        <translation>Файл сохранён с реле с модулями %1, у этого реле модули %2.</translation>
    </message>
    <message>
        <source>Not written, the relay lacks their modules: %1.</source>
        <translation>Не записываются, у реле нет их модулей: %1.</translation>
    </message>
    <message>
        <source>, </source>
        <comment>list separator</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>Settings fingerprint: file %1, relay %2: identical</source>
        <translation>Контрольная сумма настроек: файл %1, реле %2: совпадают</translation>
    </message>
    <message>
        <source>Settings fingerprint: file %1, relay %2: different</source>
        <translation>Контрольная сумма настроек: файл %1, реле %2: различаются</translation>
    </message>
    <message>
        <source>Settings fingerprint: file %1, relay %2</source>
        <translation>Контрольная сумма настроек: файл %1, реле %2</translation>
    </message>
    <message>
        <source>%1. %2</source>
        <translation>%1. %2</translation>
    </message>
    <message>
        <source>Write 1 value to Device %1, serial %2?</source>
        <translation>Записать одно значение в устройство %1 (серийный номер %2)?</translation>
    </message>
    <message>
        <source>Write %1 values to Device %2, serial %3?</source>
        <translation>Записать значения (%1) в устройство %2 (серийный номер %3)?</translation>
    </message>
    <message>
        <source>In this order:</source>
        <translation>В таком порядке:</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Записать</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>SettingsComparisonModel</name>
    <message>
        <source>Verified</source>
        <translation>Проверено</translation>
    </message>
    <message>
        <source>Differs, not in use</source>
        <translation>Отличается, не используется</translation>
    </message>
    <message>
        <source>Not in use</source>
        <translation>Не используется</translation>
    </message>
    <message>
        <source>Differs</source>
        <translation>Отличается</translation>
    </message>
    <message>
        <source>%1, register %2</source>
        <translation>%1, регистр %2</translation>
    </message>
    <message>
        <source>Group</source>
        <comment>settings comparison column</comment>
        <translation>Группа</translation>
    </message>
    <message>
        <source>Field</source>
        <comment>settings comparison column</comment>
        <translation>Параметр</translation>
    </message>
    <message>
        <source>Relay</source>
        <comment>settings comparison column</comment>
        <translation>Реле</translation>
    </message>
    <message>
        <source>File</source>
        <comment>settings comparison column</comment>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Unit</source>
        <comment>settings comparison column</comment>
        <translation>Ед. изм.</translation>
    </message>
    <message>
        <source>State</source>
        <comment>settings comparison column</comment>
        <translation>Состояние</translation>
    </message>
    <message>
        <source>Changed by the relay</source>
        <translation>Изменено реле</translation>
    </message>
    <message>
        <source>Refused by the relay: %1</source>
        <translation>Отклонено реле: %1</translation>
    </message>
    <message>
        <source>Not taken: %1</source>
        <translation>Не принято: %1</translation>
    </message>
    <message>
        <source>Not sent</source>
        <translation>Не отправлено</translation>
    </message>
    <message>
        <source>Unknown: the read-back failed</source>
        <translation>Неизвестно: обратное чтение не удалось</translation>
    </message>
    <message>
        <source>Verified, though the relay answered: %1</source>
        <translation>Проверено, хотя реле ответило: %1</translation>
    </message>
    <message>
        <source>Acknowledged, not read back</source>
        <translation>Подтверждено, не считано обратно</translation>
    </message>
    <message>
        <source>Switched off, not switched back on</source>
        <translation>Отключено, не включено обратно</translation>
    </message>
</context>
<context>
    <name>SettingsField</name>
    <message>
        <source>%1, %2</source>
        <comment>group, field</comment>
        <translation>%1, %2</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>%1 to %2%3</source>
        <translation>от %1 до %2%3</translation>
    </message>
    <message>
        <source>The file is larger than 1 MB.</source>
        <translation>Файл больше 1 МБ.</translation>
    </message>
    <message>
        <source>The file is not valid JSON: %1 at character %2.</source>
        <translation>Файл не является корректным JSON: %1 (символ %2).</translation>
    </message>
    <message>
        <source>The file is not a relay settings file.</source>
        <translation>Файл не является файлом настроек реле.</translation>
    </message>
    <message>
        <source>The file has format version %1, newer than this program reads (%2).</source>
        <translation>Версия формата файла %1 новее той, которую читает эта программа (%2).</translation>
    </message>
    <message>
        <source>The key &quot;%1&quot; appears more than once in one object.</source>
        <translation>Ключ «%1» встречается в одном объекте более одного раза.</translation>
    </message>
    <message>
        <source>The relay identity has no integer &quot;%1&quot;.</source>
        <translation>В данных реле нет целого значения «%1».</translation>
    </message>
    <message>
        <source>The file has no list of fields.</source>
        <translation>В файле нет списка полей.</translation>
    </message>
    <message>
        <source>Entry %1 of the field list has no name.</source>
        <translation>У записи %1 списка полей нет имени.</translation>
    </message>
    <message>
        <source>Field &quot;%1&quot;: no such field.</source>
        <translation>Поле «%1»: такого поля нет.</translation>
    </message>
    <message>
        <source>Field &quot;%1&quot;: listed more than once.</source>
        <translation>Поле «%1»: указано более одного раза.</translation>
    </message>
    <message>
        <source>Field &quot;%1&quot;: the register is not %2.</source>
        <translation>Поле «%1»: регистр не равен %2.</translation>
    </message>
    <message>
        <source>Field &quot;%1&quot;: the value is not an integer.</source>
        <translation>Поле «%1»: значение не является целым числом.</translation>
    </message>
    <message>
        <source>Field &quot;%1&quot;: %2 is not one of its codes.</source>
        <translation>Поле «%1»: %2 не входит в число допустимых кодов.</translation>
    </message>
    <message>
        <source>Field &quot;%1&quot;: %2 is outside its range, %3.</source>
        <translation>Поле «%1»: значение %2 вне допустимого диапазона (%3).</translation>
    </message>
    <message>
        <source>Field &quot;%1&quot;: missing.</source>
        <translation>Поле «%1»: отсутствует.</translation>
    </message>
    <message>
        <source>Could not open the file: %1.</source>
        <translation>Не удалось открыть файл: %1.</translation>
    </message>
    <message>
        <source>The file&apos;s values do not match the fingerprint it was saved with (%1, the values give %2): it was changed after it was saved.</source>
        <translation>Значения в файле не соответствуют контрольной сумме, с которой он был сохранён (%1, по значениям %2): файл изменён после сохранения.</translation>
    </message>
</context>
<context>
    <name>SettingsFileActions</name>
    <message>
        <source>Relay settings (*.json);;All files (*)</source>
        <translation>Настройки реле (*.json);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Save settings</source>
        <translation>Сохранение настроек</translation>
    </message>
    <message>
        <source>Reading the settings of Device %1…</source>
        <translation>Чтение настроек устройства %1…</translation>
    </message>
    <message>
        <source>Settings not saved</source>
        <translation>Настройки не сохранены</translation>
    </message>
    <message>
        <source>Could not write &quot;%1&quot;: %2</source>
        <translation>Не удалось записать «%1»: %2</translation>
    </message>
    <message>
        <source>Settings of Device %1 saved to &quot;%2&quot;</source>
        <translation>Настройки устройства %1 сохранены в «%2»</translation>
    </message>
    <message>
        <source>Nothing was written to &quot;%1&quot;.</source>
        <translation>В «%1» ничего не записано.</translation>
    </message>
    <message>
        <source>Settings file refused</source>
        <translation>Файл настроек отклонён</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be used; nothing is sent from it.</source>
        <translation>Файл «%1» нельзя использовать; из него ничего не записывается.</translation>
    </message>
    <message>
        <source>Open settings</source>
        <translation>Открытие настроек</translation>
    </message>
    <message>
        <source>Compare with file</source>
        <translation>Сравнение с файлом</translation>
    </message>
</context>
<context>
    <name>SettingsFingerprintView</name>
    <message>
        <source>Settings fingerprint:</source>
        <translation>Контрольная сумма настроек:</translation>
    </message>
    <message>
        <source>CRC-32 of every settings register: equal fingerprints, equal settings.</source>
        <translation>CRC-32 всех регистров настроек: равные контрольные суммы — равные настройки.</translation>
    </message>
</context>
<context>
    <name>SettingsReport</name>
    <message>
        <source>(outdated)</source>
        <translation>(устарело)</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Параметр</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Ед. изм.</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Примечание</translation>
    </message>
    <message>
        <source>not used</source>
        <translation>не используется</translation>
    </message>
    <message>
        <source>Commissioning report</source>
        <translation>Протокол наладки</translation>
    </message>
    <message>
        <source>Commissioning report, serial number %1</source>
        <translation>Протокол наладки, заводской номер %1</translation>
    </message>
    <message>
        <source>Program: Korvel-client %1</source>
        <translation>Программа: Korvel-client %1</translation>
    </message>
    <message>
        <source>Made: %1</source>
        <translation>Составлен: %1</translation>
    </message>
    <message>
        <source>&quot;-&quot;: never read. &quot;(outdated)&quot;: the last value read; a later read of it failed. &quot;not used&quot;: the relay&apos;s modules or modes leave the setting unused.</source>
        <translation>&quot;-&quot;: значение не считано. &quot;(устарело)&quot;: последнее считанное значение, более позднее чтение не удалось. &quot;не используется&quot;: параметр не задействован при установленных модулях или выбранных режимах реле.</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Устройство</translation>
    </message>
    <message>
        <source>Device ID</source>
        <translation>ID устройства</translation>
    </message>
    <message>
        <source>Daylight saving time</source>
        <translation>Переход на летнее время</translation>
    </message>
    <message>
        <source>The crash records were not read.</source>
        <translation>Записи аварий не считаны.</translation>
    </message>
    <message>
        <source>Clock read at</source>
        <translation>Часы прочитаны</translation>
    </message>
    <message>
        <source>Crash records read at %1.</source>
        <translation>Записи аварий прочитаны %1.</translation>
    </message>
    <message>
        <source>Journal of writes since %1</source>
        <translation>Журнал записей начиная с %1</translation>
    </message>
    <message>
        <source>The relay&apos;s serial number is not known: its journal entries cannot be told apart.</source>
        <translation>Заводской номер реле неизвестен: его записи в журнале нельзя выделить.</translation>
    </message>
    <message>
        <source>No writes were recorded.</source>
        <translation>Записей нет.</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Когда</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>Old value</source>
        <translation>Прежнее значение</translation>
    </message>
    <message>
        <source>New value</source>
        <translation>Новое значение</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1 (%2 on %3)</source>
        <translation>%1 (%2, ноутбук %3)</translation>
    </message>
</context>
<context>
    <name>SettingsSendResult</name>
    <message>
        <source>The write to Device %1 stopped at %2 (register %3): %4.</source>
        <translation>Запись в устройство %1 остановлена на поле %2 (регистр %3): %4.</translation>
    </message>
    <message>
        <source>%1 (register %2): sent %3, holds %4</source>
        <translation>%1 (регистр %2): отправлено %3, хранится %4</translation>
    </message>
    <message>
        <source>%1 (register %2): %3</source>
        <translation>%1 (регистр %2): %3</translation>
    </message>
    <message>
        <source>Device %1 did not take every value: %2</source>
        <translation>Устройство %1 приняло не все значения: %2</translation>
    </message>
    <message>
        <source>Device %1 could not be read back after writing: whether it took the values is not known.</source>
        <translation>Не удалось считать устройство %1 после записи: неизвестно, приняло ли оно значения.</translation>
    </message>
</context>
<context>
    <name>SettingsTransfer</name>
    <message>
        <source>Device %1 did not answer in time; the operation was stopped.</source>
        <translation>Устройство %1 не ответило вовремя; операция прервана.</translation>
    </message>
    <message>
        <source>Device %1 is no longer the current device; the operation was stopped.</source>
        <translation>Устройство %1 больше не выбрано; операция прервана.</translation>
    </message>
    <message>
        <source>The port was closed; the operation with Device %1 was stopped.</source>
        <translation>Порт закрыт; операция с устройством %1 прервана.</translation>
    </message>
    <message>
        <source>A scan started; the operation with Device %1 was stopped.</source>
        <translation>Начат поиск; операция с устройством %1 прервана.</translation>
    </message>
    <message>
        <source>Another settings operation is still running.</source>
        <translation>Другая операция с настройками ещё не завершена.</translation>
    </message>
    <message>
        <source>No device to work with: connect and choose a device first.</source>
        <translation>Нет устройства: сначала откройте порт и выберите устройство.</translation>
    </message>
    <message>
        <source>the measurement configuration</source>
        <translation>конфигурацию измерений</translation>
    </message>
    <message>
        <source>the protection configuration</source>
        <translation>конфигурацию защит</translation>
    </message>
    <message>
        <source>the setpoints</source>
        <translation>уставки</translation>
    </message>
    <message>
        <source>the identity</source>
        <translation>идентификационные данные</translation>
    </message>
    <message>
        <source>the modules</source>
        <translation>состав модулей</translation>
    </message>
    <message>
        <source>Could not read from Device %1: %2.</source>
        <translation>Не удалось прочитать из устройства %1: %2.</translation>
    </message>
    <message>
        <source>, </source>
        <comment>list separator</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>Nothing was sent to device %1: the journal could not record the send.</source>
        <translation>В устройство %1 ничего не отправлено: журнал не смог сохранить запись.</translation>
    </message>
</context>
<context>
    <name>TeamJournalConnection</name>
    <message>
        <source>Qt&apos;s PostgreSQL driver (QPSQL) is not installed.</source>
        <translation>Драйвер PostgreSQL для Qt (QPSQL) не установлен.</translation>
    </message>
    <message>
        <source>The database %1 holds no journal: %2</source>
        <translation>В базе данных %1 нет журнала: %2</translation>
    </message>
    <message>
        <source>The team journal is of version %1; this program writes version %2.</source>
        <translation>Общий журнал версии %1, а эта программа пишет версию %2.</translation>
    </message>
</context>
<context>
    <name>TeamJournalCopier</name>
    <message>
        <source>The journal cannot be marked: %1</source>
        <translation>Не удалось отметить записи журнала: %1</translation>
    </message>
</context>
<context>
    <name>TeamJournalDialog</name>
    <message>
        <source>From</source>
        <translation>С</translation>
    </message>
    <message>
        <source>To</source>
        <translation>По</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Когда</translation>
    </message>
    <message>
        <source>Laptop</source>
        <translation>Ноутбук</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Пользователь</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Заводской номер</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>Registers</source>
        <translation>Регистров</translation>
    </message>
    <message>
        <source>Outcome</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Параметр</translation>
    </message>
    <message>
        <source>Register</source>
        <translation>Регистр</translation>
    </message>
    <message>
        <source>Old value</source>
        <translation>Прежнее значение</translation>
    </message>
    <message>
        <source>New value</source>
        <translation>Новое значение</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Подробности</translation>
    </message>
    <message>
        <source>Export CSV…</source>
        <translation>Экспорт в CSV…</translation>
    </message>
    <message>
        <source>Team journal</source>
        <translation>Общий журнал</translation>
    </message>
    <message>
        <source>from ~/.pgpass unless typed here</source>
        <translation>из ~/.pgpass, если не введён здесь</translation>
    </message>
    <message>
        <source>Kept until the program ends, never saved. Without it PostgreSQL&apos;s password file (~/.pgpass, or the file PGPASSFILE names) gives the password.</source>
        <translation>Хранится до закрытия программы и нигде не сохраняется. Если пароль не введён, он берётся из файла паролей PostgreSQL (~/.pgpass или файл, указанный в PGPASSFILE).</translation>
    </message>
    <message>
        <source>libpq&apos;s sslmode. verify-ca and verify-full check the server&apos;s certificate against ~/.postgresql/root.crt, or the file PGSSLROOTCERT names.</source>
        <translation>Параметр sslmode библиотеки libpq. verify-ca и verify-full проверяют сертификат сервера по ~/.postgresql/root.crt или по файлу, указанному в PGSSLROOTCERT.</translation>
    </message>
    <message>
        <source>Use this server</source>
        <translation>Использовать этот сервер</translation>
    </message>
    <message>
        <source>Copy now</source>
        <translation>Скопировать сейчас</translation>
    </message>
    <message>
        <source>Server</source>
        <translation>Сервер</translation>
    </message>
    <message>
        <source>Host:</source>
        <translation>Адрес:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Порт:</translation>
    </message>
    <message>
        <source>Database:</source>
        <translation>База данных:</translation>
    </message>
    <message>
        <source>User:</source>
        <translation>Пользователь:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Пароль:</translation>
    </message>
    <message>
        <source>TLS (sslmode):</source>
        <translation>TLS (sslmode):</translation>
    </message>
    <message>
        <source>every relay</source>
        <translation>все реле</translation>
    </message>
    <message>
        <source>every user</source>
        <translation>все пользователи</translation>
    </message>
    <message>
        <source>every laptop</source>
        <translation>все ноутбуки</translation>
    </message>
    <message>
        <source>any outcome</source>
        <translation>любой результат</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Показать</translation>
    </message>
    <message>
        <source>Serial number:</source>
        <translation>Заводской номер:</translation>
    </message>
    <message>
        <source>Laptop:</source>
        <translation>Ноутбук:</translation>
    </message>
    <message>
        <source>all</source>
        <translation>все</translation>
    </message>
    <message>
        <source>%1 (raw %2)</source>
        <translation>%1 (код %2)</translation>
    </message>
    <message>
        <source>Export the team journal</source>
        <translation>Экспорт общего журнала</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Файлы CSV (*.csv)</translation>
    </message>
    <message>
        <source>The team journal could not be exported to %1: %2</source>
        <translation>Не удалось экспортировать общий журнал в %1: %2</translation>
    </message>
</context>
<context>
    <name>TeamJournalReportSource</name>
    <message>
        <source>Writes from this computer&apos;s journal and from the team journal as read at %1.</source>
        <translation>Записи из журнала этого компьютера и из общего журнала по состоянию на %1.</translation>
    </message>
    <message>
        <source>The team journal could not be read for this relay: only the writes made from this computer are listed.</source>
        <translation>Общий журнал для этого реле прочитать не удалось: перечислены только записи, сделанные с этого компьютера.</translation>
    </message>
</context>
<context>
    <name>TeamJournalSync</name>
    <message>
        <source>No team journal is set up.</source>
        <translation>Общий журнал не настроен.</translation>
    </message>
    <message>
        <source>No team journal is set up: the journal stays on this computer.</source>
        <translation>Общий журнал не настроен: журнал хранится только на этом компьютере.</translation>
    </message>
    <message>
        <source>The team journal was last reached at %1.</source>
        <translation>Последняя связь с общим журналом: %1.</translation>
    </message>
    <message>
        <source>The team journal has not been reached yet.</source>
        <translation>Связи с общим журналом ещё не было.</translation>
    </message>
    <message>
        <source>The team journal on %1 cannot be reached: %2 %3</source>
        <translation>Общий журнал на %1 недоступен: %2 %3</translation>
    </message>
    <message>
        <source>%1 Entries copied to it in this session: %2.</source>
        <translation>%1 Записей скопировано в него за этот сеанс: %2.</translation>
    </message>
</context>
<context>
    <name>TimingAdvice</name>
    <message>
        <source>Too few answers to propose a response timeout: %1 of the %2 needed since the line was connected.</source>
        <translation>Слишком мало ответов, чтобы предложить тайм-аут ответа: %1 из %2 необходимых с подключения линии.</translation>
    </message>
    <message>
        <source>Relays on this line answered within %1 ms (99th percentile of the slowest relay, over %2 answers); a response timeout of %3 ms would do.</source>
        <translation>Реле этой линии отвечали в пределах %1 мс (99-й процентиль самого медленного реле, по %2 ответам); достаточно тайм-аута ответа %3 мс.</translation>
    </message>
    <message>
        <source>The pause between requests gives a relay time to get ready for the next request. Its answers do not show how long it needs, so no pause is proposed: keep the one the relay&apos;s documentation asks for.</source>
        <translation>Пауза между запросами даёт реле время подготовиться к следующему запросу. По его ответам не видно, сколько ему нужно, поэтому пауза не предлагается: оставьте ту, что требует документация реле.</translation>
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
        <source>No relays found by the last scan.</source>
        <translation>Последний поиск не нашёл ни одного реле.</translation>
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
<context>
    <name>WriteJournal</name>
    <message>
        <source>coil %1</source>
        <translation>катушка %1</translation>
    </message>
    <message>
        <source>register %1</source>
        <translation>регистр %1</translation>
    </message>
    <message>
        <source>The journal could not be opened.</source>
        <translation>Не удалось открыть журнал.</translation>
    </message>
    <message>
        <source>holds %1</source>
        <translation>хранит %1</translation>
    </message>
    <message>
        <source>switched off, not switched back on</source>
        <translation>отключено, не включено обратно</translation>
    </message>
    <message>
        <source>acknowledged, not read back</source>
        <translation>подтверждено, не считано обратно</translation>
    </message>
</context>
<context>
    <name>WriteOperation</name>
    <message>
        <source>Nothing was written: Device %1 is now serial number %2, not serial number %3 as shown. Scan the line again.</source>
        <translation>Ничего не записано: устройство %1 теперь имеет заводской номер %2, а не %3, как показано. Повторите поиск устройств на линии.</translation>
    </message>
    <message>
        <source>Nothing was written: Device %1 did not say which relay it is.</source>
        <translation>Ничего не записано: устройство %1 не сообщило, какое это реле.</translation>
    </message>
    <message>
        <source>Nothing was written to Device %1: the journal could not record the write.</source>
        <translation>На устройство %1 ничего не записано: журнал не смог записать операцию.</translation>
    </message>
    <message>
        <source>the modules</source>
        <translation>состав модулей</translation>
    </message>
    <message>
        <source>Nothing was written: Device %1 could not be read whole (%2).</source>
        <translation>Ничего не записано: устройство %1 не удалось считать полностью (%2).</translation>
    </message>
    <message>
        <source>, </source>
        <comment>list separator</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>Nothing was written: the settings of Device %1 changed since they were read.</source>
        <translation>Ничего не записано: уставки устройства %1 изменились после того, как были считаны.</translation>
    </message>
</context>
</TS>
