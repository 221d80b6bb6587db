// The main window's form resource: its non-visual components, their
// properties, the handlers they call and the pin links between the audio
// components. The capture component's sinks are stored in the order they are
// served: peak meter, watchdog filter, VU meter, scope converter (the window
// adds the logger last, as its pins are not named in form text; likewise the
// player's links). The converter's two outputs feed the scope's two
// channels; the window hosts the scope in its scope area, which sets its
// bounds, and turns off what form text cannot (the scope's zooming).
#include "app/MainUnit.h"

const char *const MainFormResource = R"(object MainForm: TMainForm
  OnCloseQuery = FormCloseQuery
  OnClose = FormClose
  object AudioIn: TALDSAudioIn
    Enabled = False
    AudioFormat.Channels = 1
    AudioFormat.SampleRate = 44100
    Graph.Register = False
    OutputPin.SinkPins = (
      MainForm.PPMMeter.InputPin
      MainForm.ALGenericFilter.InputPin
      MainForm.VUMeter.InputPin
      MainForm.AudioToReal.InputPin)
  end
  object AudioToReal: TALAudioToReal
    InputPin.SourcePin = MainForm.AudioIn.OutputPin
    CountChannels = 2
  end
  object Scope: TSLScope
    Left = 100
    Top = 97
    Width = 505
    Height = 304
    Align = alClient
    TabStop = False
    ToolBar.Visible = False
    YAxis.Visible = False
    YAxis.Font.Name = 'Arial'
    YAxis.Font.Color = 16777215
    YAxis.ToolBar.Visible = False
    YAxis.AxisLabel.Text = 'Amplitude'
    YAxis.AxisLabel.Font.Name = 'Arial'
    YAxis.AxisLabel.Font.Color = 16777215
    YAxis.FixedPrecision = True
    YAxis.MinMax = (
      -32768
      32768)
    YAxis.Logarithmic = False
    YAxis.AutoScaling.Enabled = False
    XAxis.Visible = False
    XAxis.Font.Name = 'Arial'
    XAxis.Font.Color = 16777215
    XAxis.ToolBar.Visible = False
    XAxis.TicksMode = atmTime
    XAxis.UnitScale.Exponent = 0
    XAxis.Min.Value = 0
    XAxis.Max.Value = 1024
    Title.Visible = False
    Title.Font.Name = 'Arial'
    Title.Font.Color = 16777215
    Legend.Visible = False
    Legend.Font.Name = 'Arial'
    Legend.Font.Color = 16777215
    Highlighting.Channels.HiglightLegendButton = False
    Highlighting.Channels.HiglightFromLegend = False
    Highlighting.MouseHitPoint.Enabled = False
    Channels = <
      item
        Name = 'Channel0'
        Color = 255
        ChannelMode = cmLine
        ShadeMode = csmZero
        Points.Visible = False
        InputPin.SourcePin = MainForm.AudioToReal.OutputPins._Pin0
      end
      item
        Name = 'Channel1'
        Color = 65280
        ChannelMode = cmLine
        ShadeMode = csmZero
        Points.Visible = False
        InputPin.SourcePin = MainForm.AudioToReal.OutputPins._Pin1
      end>
  end
  object VUMeter: TALVUMeter
    InputPin.SourcePin = MainForm.AudioIn.OutputPin
    CountChannels = 2
    OnValueChange = VUMeterValueChange
  end
  object PPMMeter: TALPPMMeter
    InputPin.SourcePin = MainForm.AudioIn.OutputPin
    CountChannels = 2
    OnValueChange = PPMMeterValueChange
  end
  object AudioLogger: TALWaveLogger
    FileName = 'test.wav'
    OnProgress = AudioLoggerProgress
    OnError = AudioLoggerError
  end
  object ALGenericFilter: TALGenericFilter
    InputPin.SourcePin = MainForm.AudioIn.OutputPin
    OnProcessData = ALGenericFilterProcessData
  end
  object AudioPlayer: TALWavePlayer
    PumpPriority = 0
    PlaySegment.StopSample = 100
    OnProgress = AudioPlayerProgress
    OnStop = AudioPlayerStop
    OutputPin.SinkPins = (
      MainForm.GenericFilterPlayer.InputPin
      MainForm.AudioOutput.InputPin)
  end
  object GenericFilterPlayer: TALGenericFilter
    InputPin.SourcePin = MainForm.AudioPlayer.OutputPin
    OnStart = GenericFilterPlayerStart
  end
  object AudioOutput: TALDSAudioOut
    InputPin.SourcePin = MainForm.AudioPlayer.OutputPin
    EnableMasterPumping = False
    Graph.Register = False
  end
  object TrayIcon: TCoolTrayIcon
    CycleIcons = True
    CycleInterval = 500
    IconIndex = 1
  end
  object OneInstance: TOneInstance
    RaisePriorInstance = True
  end
  object Timer1: TTimer
    OnTimer = Timer1Timer
  end
  object WatchdogTimer: TTimer
    Enabled = False
    Interval = 5000
    OnTimer = WatchdogTimerTimer
  end
  object ActionList1: TActionList
    OnUpdate = ActionList1Update
  end
  object RecordAction: TAction
    Caption = 'Record'
    OnExecute = RecordActionExecute
    OnUpdate = RecordActionUpdate
  end
  object PlayAction: TAction
    Caption = 'Play'
    OnExecute = PlayActionExecute
    OnUpdate = PlayActionUpdate
  end
  object PauseAction: TAction
    Caption = 'Pause'
    OnUpdate = PauseActionUpdate
  end
  object StopAction: TAction
    Caption = 'Stop'
    OnExecute = StopActionExecute
    OnUpdate = StopActionUpdate
  end
  object ResumeAction: TAction
    Caption = 'Resume'
    OnUpdate = ResumeActionUpdate
  end
  object MarkAction: TAction
    Caption = 'Mark Begin'
    Enabled = False
    OnExecute = MarkActionExecute
    OnUpdate = MarkActionUpdate
  end
  object ClearMarkAction: TAction
    Caption = 'Clear Select.'
    OnExecute = ClearMarkActionExecute
    OnUpdate = ClearMarkActionUpdate
  end
  object ActionManager1: TActionManager
    OnUpdate = ActionManager1Update
  end
  object FileOpenDialog: TOpenDialog
    DefaultExt = 'wav'
    Filter = 'Wave Files(*.wav)|*.wav|All Files(*.*)|*.*'
  end
  object New: TAction
    Category = 'File'
    Caption = '&New'
    Enabled = False
    ImageIndex = 3
    OnExecute = NewExecute
  end
  object FileOpenAction: TAction
    Category = 'File'
    Caption = '&Open...'
    Enabled = False
    ImageIndex = 0
    ShortCut = 'Ctrl+O'
    OnExecute = FileOpenActionExecute
  end
  object FileSaveAction: TAction
    Category = 'File'
    Caption = '&Save'
    Enabled = False
    ImageIndex = 4
    ShortCut = 'Ctrl+S'
    OnExecute = FileSaveActionExecute
    OnUpdate = FileSaveActionUpdate
  end
  object FileSaveAsAction: TAction
    Category = 'File'
    Caption = 'Save &As...'
    Hint = 'Save As|Saves the active file with a new name'
    ImageIndex = 1
    OnExecute = FileSaveAsActionAccept
  end
  object FileExit1: TAction
    Category = 'File'
    Caption = 'E&xit'
    Hint = 'Exit|Quits the application'
    ImageIndex = 2
    OnExecute = FileExit1Execute
  end
  object About: TAction
    Category = 'Help'
    Caption = '&About'
    OnExecute = AboutExecute
  end
  object RedImageList: TImageList
  end
  object GrayImageList: TImageList
  end
end
)";
