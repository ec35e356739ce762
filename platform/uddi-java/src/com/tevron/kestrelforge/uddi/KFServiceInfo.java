package com.tevron.kestrelforge.uddi;

/** One service with its business and the WSDL location of its first binding. */
public class KFServiceInfo {
    private String name;
    private String description;
    private String serviceKey;
    private String businessName;
    private String businessKey;
    private String tModelKey;
    private String wsdl;

    public KFServiceInfo(String name, String description, String serviceKey, String businessName,
            String businessKey, String tModelKey, String wsdl) {
        this.name = name;
        this.description = description;
        this.serviceKey = serviceKey;
        this.businessName = businessName;
        this.businessKey = businessKey;
        this.tModelKey = tModelKey;
        this.wsdl = wsdl;
    }

    public String getName() {
        return name;
    }

    public String getDescription() {
        return description;
    }

    public String getServiceKey() {
        return serviceKey;
    }

    public String getBusinessName() {
        return businessName;
    }

    public String getBusinessKey() {
        return businessKey;
    }

    public String getTModelKey() {
        return tModelKey;
    }

    public String getWsdl() {
        return wsdl;
    }
}
