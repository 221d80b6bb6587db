# Test files compiled together, one translation unit per group, when SONVELT_UNITY_TESTS
# is on (scripts/test turns it on). The files of a group belong to one test executable and
# compile together: no two define the same name in their anonymous namespaces. A file in
# no group, e.g. a new test or a support file linked into several executables, is
# compiled on its own; add a new test to a group of its executable when it compiles
# there (a clash shows as a redefinition in the generated unity file).
set(SONVELT_TEST_UNITY_GROUPS
  GROUP # app_tests
    tests/app/SimpleTimerTest.cpp
    tests/app/CoolTrayIconTest.cpp
    tests/app/MainFormTest.cpp
    tests/app/EntryTest.cpp
    tests/app/EndToEndTest.cpp
  GROUP # app_tests
    tests/app/DeviceChooserViewTest.cpp
  GROUP # app_tests
    tests/app/TakeSafetyTest.cpp
    tests/app/AboutTest.cpp
    tests/app/OneInstanceTest.cpp
  GROUP # app_threads_tests
    tests/app/RecordingThreadsTest.cpp
    tests/app/TakeKeepingThreadsTest.cpp
    tests/app/OpenRefusesThreadsTest.cpp
  GROUP # audio_tests
    tests/audio/ALAudioToRealTest.cpp
    tests/audio/ALChannelMergerTest.cpp
    tests/audio/ALCompressionTest.cpp
    tests/audio/ALFileComponentsFormTest.cpp
    tests/audio/ALGenericFilterTest.cpp
    tests/audio/ALMeterChainTest.cpp
    tests/audio/ALMetersTest.cpp
    tests/audio/ALSwitchTest.cpp
  GROUP # audio_tests
    tests/audio/ALWaveLoggerTest.cpp
    tests/audio/ALWavePlayerTest.cpp
  GROUP # audio_threads_tests
    tests/audio/ALDSAudioInThreadsTest.cpp
    tests/audio/ALDSAudioOutThreadsTest.cpp
    tests/audio/ALMeterCaptureThreadsTest.cpp
    tests/audio/ALMetersThreadsTest.cpp
    tests/audio/ALPlaybackEndThreadsTest.cpp
    tests/audio/ALWaveLoggerThreadsTest.cpp
    tests/audio/ALWavePlayerThreadsTest.cpp
  GROUP # directshow_tests
    tests/directshow/DSBaseClassTest.cpp
    tests/directshow/DSCaptureDeviceTest.cpp
    tests/directshow/DSGraphPropertyTest.cpp
    tests/directshow/DsbufferqueueTest.cpp
    tests/directshow/DssourcesTest.cpp
    tests/directshow/VldirectTest.cpp
  GROUP # directshow_threads_tests
    tests/directshow/DSCaptureGraphThreadsTest.cpp
    tests/directshow/DSThreadsTest.cpp
  GROUP # framework_data_tests
    tests/framework/data/ALAudioFormatTest.cpp
    tests/framework/data/ALStreamTypesTest.cpp
    tests/framework/data/AlcaudiobufferTest.cpp
    tests/framework/data/AlsimpleaudiobufferTest.cpp
    tests/framework/data/IppextrafunctionsTest.cpp
    tests/framework/data/MlsimplemediabufferTest.cpp
    tests/framework/data/SLClockSourceTest.cpp
    tests/framework/data/SLCommonFilterTest.cpp
  GROUP # framework_data_tests
    tests/framework/data/SLGenericRealTest.cpp
    tests/framework/data/SLInternalStoreTest.cpp
    tests/framework/data/SLOperationListTest.cpp
    tests/framework/data/SLRealQueueTest.cpp
    tests/framework/data/SLSimpleDataBufferTest.cpp
    tests/framework/data/SLStreamTypesTest.cpp
    tests/framework/data/SlcrealbufferTest.cpp
  GROUP # framework_data_threads_tests
    tests/framework/data/AlsimpleaudiobufferThreadsTest.cpp
    tests/framework/data/SLBufferThreadsTest.cpp
    tests/framework/data/SLClockGenThreadsTest.cpp
    tests/framework/data/SLGenericRealThreadsTest.cpp
    tests/framework/data/SLMainThreadThreadsTest.cpp
    tests/framework/data/SLOperationListThreadsTest.cpp
    tests/framework/data/SlnotifythreadThreadsTest.cpp
  GROUP # framework_dispatch_tests
    tests/framework/dispatch/AllocatorShimsTest.cpp
    tests/framework/dispatch/CatalogueTest.cpp
    tests/framework/dispatch/DetectCpuTypeTest.cpp
    tests/framework/dispatch/DispatchSlotTest.cpp
    tests/framework/dispatch/GenericArithTest.cpp
    tests/framework/dispatch/GenericComplexTest.cpp
    tests/framework/dispatch/GenericCorrConvTest.cpp
  GROUP # framework_dispatch_tests
    tests/framework/dispatch/GenericFirFftTest.cpp
    tests/framework/dispatch/GenericGeneratorsTest.cpp
    tests/framework/dispatch/GenericIirTest.cpp
    tests/framework/dispatch/GenericIntArithTest.cpp
    tests/framework/dispatch/GenericIntegerTest.cpp
    tests/framework/dispatch/GenericLinkTest.cpp
    tests/framework/dispatch/GenericRealTest.cpp
  GROUP # framework_dispatch_tests
    tests/framework/dispatch/GenericStatsTest.cpp
    tests/framework/dispatch/GenericStatusTest.cpp
    tests/framework/dispatch/IppTypesTest.cpp
    tests/framework/dispatch/SetCopyTest.cpp
    tests/framework/dispatch/VariantWalkTest.cpp
    tests/framework/dispatch/GenericConvertTest.cpp
  GROUP # framework_pins_tests
    tests/framework/pins/OWLinksTest.cpp
    tests/framework/pins/OWNegotiationTest.cpp
    tests/framework/pins/OWPersistenceTest.cpp
    tests/framework/pins/OWPinListTest.cpp
    tests/framework/pins/OWPinsTest.cpp
    tests/framework/pins/OWStateTest.cpp
  GROUP # framework_pins_tests
    tests/framework/pins/OWStdTypesPinsTest.cpp
    tests/framework/pins/OWStdTypesTest.cpp
    tests/framework/pins/OWDeliveryTest.cpp
    tests/framework/pins/OWExtCollectionTest.cpp
  GROUP # framework_pins_threads_tests
    tests/framework/pins/OWDeliveryThreadsTest.cpp
    tests/framework/pins/OWMultiReadLockThreadsTest.cpp
    tests/framework/pins/OWObjectThreadsTest.cpp
    tests/framework/pins/OWRegistryThreadsTest.cpp
    tests/framework/pins/OWStdTypesThreadsTest.cpp
  GROUP # kernels_audio_filter_tests
    tests/kernels/audio-filter/FilterConvertEquivalenceTest.cpp
    tests/kernels/audio-filter/MeterPathAtCodesTest.cpp
  GROUP # kernels_audio_filter_tests
    tests/kernels/audio-filter/AudioUnitsWalkTest.cpp
    tests/kernels/audio-filter/FilterLoopsTest.cpp
    tests/kernels/audio-filter/FloatArithEquivalenceTest.cpp
  GROUP # kernels_audio_sample_tests
    tests/kernels/audio-sample/DivisionEquivalenceTest.cpp
    tests/kernels/audio-sample/FillCopyConvertEquivalenceTest.cpp
    tests/kernels/audio-sample/ScaledArithEquivalenceTest.cpp
    tests/kernels/audio-sample/SseRoundingTest.cpp
  GROUP # kernels_basic_tests
    tests/kernels/basic/ArithBypassTest.cpp
    tests/kernels/basic/CacheSizeTest.cpp
    tests/kernels/basic/ConvertEquivalenceTest.cpp
    tests/kernels/basic/FillCopyEquivalenceTest.cpp
    tests/kernels/basic/FpEnvironmentTest.cpp
  GROUP # kernels_basic_tests
    tests/kernels/basic/LogicShiftEquivalenceTest.cpp
    tests/kernels/basic/MirrorEquivalenceTest.cpp
    tests/kernels/basic/ScaledEquivalenceTest.cpp
    tests/kernels/basic/StatsEquivalenceTest.cpp
  GROUP # kernels_basic_tests
    tests/kernels/basic/KaiserEquivalenceTest.cpp
    tests/kernels/basic/WindowsEquivalenceTest.cpp
    tests/kernels/basic/ArithVectorEquivalenceTest.cpp
  GROUP # kernels_fft_audio_tests
    tests/kernels/fft-audio/FFTAudioMembersTest.cpp
    tests/kernels/fft-audio/FFTReal32Test.cpp
    tests/kernels/fft-audio/OwnsMallocTest.cpp
    tests/kernels/fft-audio/Sqrt16sTest.cpp
  GROUP # kernels_fft_real_tests
    tests/kernels/fft-real/FFTAccuracyTest.cpp
    tests/kernels/fft-real/FFTTablesTest.cpp
    tests/kernels/fft-real/FFTSpecTest.cpp
    tests/kernels/fft-real/FFTSmallKernelsTest.cpp
    tests/kernels/fft-real/FFTWCheckTest.cpp
  GROUP # kernels_signal_tests
    tests/kernels/signal/ComplexArithEquivalenceTest.cpp
    tests/kernels/signal/ElementEquivalenceTest.cpp
    tests/kernels/signal/ExtremesEquivalenceTest.cpp
    tests/kernels/signal/MathEquivalenceTest.cpp
    tests/kernels/signal/ReductionsEquivalenceTest.cpp
  GROUP # kernels_signal_tests
    tests/kernels/signal/SignalWiringTest.cpp
    tests/kernels/signal/SpectrumProductTest.cpp
    tests/kernels/signal/CopyZeroTest.cpp
    tests/kernels/signal/CorrConvEquivalenceTest.cpp
  GROUP # platform_acm_tests
    tests/platform/acm/AcmTest.cpp
    tests/platform/acm/AcmSoxTest.cpp
  GROUP # platform_classlib_tests
    tests/platform/classlib/ClassInfoTest.cpp
    tests/platform/classlib/CollectionTest.cpp
    tests/platform/classlib/ComponentTest.cpp
    tests/platform/classlib/ExceptionsTest.cpp
    tests/platform/classlib/FormStreamTest.cpp
    tests/platform/classlib/ListsTest.cpp
    tests/platform/classlib/TestClasses.cpp
  GROUP # platform_com_tests
    tests/platform/com/GuidTest.cpp
    tests/platform/com/RefCountThreadsTest.cpp
    tests/platform/com/UnknownTest.cpp
  GROUP # platform_cpu_tests
    tests/platform/cpu/CpuidTest.cpp
    tests/platform/cpu/FpuControlTest.cpp
  GROUP # platform_gui_tests
    tests/platform/gui/DialogsTest.cpp
    tests/platform/gui/ApplicationTest.cpp
    tests/platform/gui/TimersTest.cpp
    tests/platform/gui/WidgetsTest.cpp
    tests/platform/gui/InstanceLockTest.cpp
    tests/platform/gui/VersionInfoTest.cpp
    tests/platform/gui/CanvasTest.cpp
    tests/platform/gui/ControlTest.cpp
  GROUP # platform_mainloop_tests
    tests/platform/mainloop/MainLoopTest.cpp
    tests/platform/mainloop/HiddenWindowTest.cpp
  GROUP # platform_sys_tests
    tests/platform/sys/SyncTest.cpp
    tests/platform/sys/ThreadTest.cpp
    tests/platform/sys/MMTimerTest.cpp
  GROUP # scope_tests
    tests/scope/SLAxesTest.cpp
    tests/scope/SLAxisSettingsTest.cpp
    tests/scope/SLChannelDataTest.cpp
    tests/scope/SLChannelDrawTest.cpp
    tests/scope/SLChannelLinksTest.cpp
    tests/scope/SLChannelsTest.cpp
    tests/scope/SLCollectionsTest.cpp
    tests/scope/SLCursorsScopeTest.cpp
  GROUP # scope_tests
    tests/scope/SLCursorsTest.cpp
    tests/scope/SLDataViewTest.cpp
    tests/scope/SLDisplayZoomTest.cpp
    tests/scope/SLHitTestsTest.cpp
    tests/scope/SLLabelsTest.cpp
    tests/scope/SLMarkersTest.cpp
    tests/scope/SLScopeControlTest.cpp
  GROUP # scope_tests
    tests/scope/SLScopeExportTest.cpp
    tests/scope/SLScopeHoverTest.cpp
    tests/scope/SLScopeNumericTest.cpp
    tests/scope/SLScopePropertiesTest.cpp
    tests/scope/SLScopeWidgetTest.cpp
    tests/scope/SLToolBarTest.cpp
    tests/scope/SLViewsTest.cpp
    tests/scope/SLOptionalAxisTest.cpp
  GROUP # scope_threads_tests
    tests/scope/SLChannelDataThreadsTest.cpp
    tests/scope/SLChannelsThreadsTest.cpp
    tests/scope/SLScopeControlThreadsTest.cpp
)
